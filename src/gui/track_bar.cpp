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

void TrackBar::Changed(int position) {
    if (position == position_)
        return;
    position_ = position;
    if (OnChange)
        OnChange();
}

bool TrackBar::OnReflected(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_HSCROLL)
        return false;
    Changed(static_cast<int>(::SendMessageW(Handle(), TBM_GETPOS, 0, 0)));
    result = 0;
    return true;
}

} // namespace voice::gui
