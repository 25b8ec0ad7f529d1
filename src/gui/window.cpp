#include "gui/window.h"

#include "gui/error_box.h"

namespace voice::gui {

Window::~Window() {
    if (hwnd_) {
        // Detach first so that messages sent during destruction find no object.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

HWND Window::CreateWindowObject(const wchar_t* className, UINT classStyle, HBRUSH background,
                                DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
                                int width, int height, HWND parent, UINT_PTR id) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!::GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = classStyle;
        wc.lpfnWndProc = &Window::Procedure;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        ::RegisterClassExW(&wc);
    }
    return ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(id), instance, this);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return DefaultHandling(msg, wp, lp);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        LRESULT r = ::DefWindowProcW(hwnd, msg, wp, lp);
        self->hwnd_ = nullptr;
        self->OnHandleDestroyed();
        return r;
    }
    try {
        return self->HandleMessage(msg, wp, lp);
    } catch (...) {
        // A hidden window (the timer's) would own a box that blocks nothing: let the
        // window the user works in own it instead.
        HWND root = ::GetAncestor(hwnd, GA_ROOT);
        ShowCurrentException(::IsWindowVisible(root) ? root : ::GetActiveWindow());
        return 0;
    }
}

} // namespace voice::gui
