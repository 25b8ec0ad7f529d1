#pragma once
// Modal message boxes. While one is shown its owner waits; timer ticks and posted
// notifications go on being handled by the box's own message loop.

#include <string>
#include <windows.h>

namespace voice::gui {

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);

// The arrow cursor gives way to the hourglass for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() noexcept : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

} // namespace voice::gui
