#include "gui/track_bar.h"

#include "gui/child_window.h"

#include <algorithm>
#include <commctrl.h>

namespace voice::gui {

void TrackBar::Create(HWND parent, int id, int x, int y, int width, int height) {
    Attach(CreateChildWindow(TRACKBAR_CLASSW, TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | WS_TABSTOP, 0,
                             L"", parent, id, x, y, width, height));
    SetRange(min_, max_);
}

void TrackBar::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    ::SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, min_);
    ::SendMessageW(Handle(), TBM_SETRANGEMAX, FALSE, max_);
    ::SendMessageW(Handle(), TBM_SETTICFREQ, 1, 0);
    ::SendMessageW(Handle(), TBM_SETPAGESIZE, 0, std::max(1, (max_ - min_) / 10));
    SetPosition(position_);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TrackBar::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    ::SendMessageW(Handle(), TBM_SETPOS, TRUE, position);
    Changed(position);
}

bool TrackBar::Changed(int position) {
    if (position == position_)
        return false;
    position_ = position;
    Raise();
    return true;
}

void TrackBar::Raise() {
    if (OnChange)
        OnChange();
}

// Every action of the user ends with TB_ENDTRACK (the button or key released); the
// notifications before it carry the moves.
bool TrackBar::OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_HSCROLL)
        return false;
    if (LOWORD(wp) == TB_ENDTRACK) {
        if (!raisedInAction_)
            Raise();
        raisedInAction_ = true; // the action is over: no second event for it
    } else if (Changed(static_cast<int>(::SendMessageW(Handle(), TBM_GETPOS, 0, 0)))) {
        raisedInAction_ = true;
    }
    result = 0;
    return true;
}

LRESULT TrackBar::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_MOUSEWHEEL:
        raisedInAction_ = false; // a new action of the user begins
        break;
    default:
        break;
    }
    return CallDefault(msg, wp, lp);
}

} // namespace voice::gui
