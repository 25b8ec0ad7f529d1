#include "gui/up_down.h"

#include <commctrl.h>

#include <stdexcept>

namespace voice::gui {

void UpDown::Create(HWND parent, UINT id, int x, int y, int width, int height) {
    HWND hwnd = ::CreateWindowExW(
        0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_DISABLED, x, y, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        throw std::runtime_error("cannot create the up-down control");
    Attach(hwnd);
    // The control's default range runs from 100 down to 0, which turns the arrows round;
    // set it explicitly so that the upper arrow raises the position.
    ::SendMessageW(hwnd, UDM_SETRANGE32, kMinimum, kMaximum);
    ::SendMessageW(hwnd, UDM_SETPOS32, 0, kMinimum);
    // One step however long an arrow is held: the default speeds up after a while.
    UDACCEL accel{0, static_cast<UINT>(increment_)};
    ::SendMessageW(hwnd, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    lastPosition_ = Position();
}

int UpDown::Position() const {
    return static_cast<int>(::SendMessageW(Handle(), UDM_GETPOS32, 0, 0));
}

bool UpDown::OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    // After every arrow click, moved or not, the control reports its position with a
    // scroll message; the direction is read from the move itself.
    if ((msg != WM_VSCROLL && msg != WM_HSCROLL) || LOWORD(wp) != SB_THUMBPOSITION)
        return false;
    const int position = Position();
    const int previous = lastPosition_;
    lastPosition_ = position;
    result = 0;
    if (position != previous && OnClick)
        OnClick(position > previous ? UpDownButton::Up : UpDownButton::Down);
    return true;
}

} // namespace voice::gui
