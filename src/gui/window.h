#pragma once
// Base of every window the program creates itself: the object travels through
// lpCreateParams and GWLP_USERDATA, the message switch lives in HandleMessage, and no
// exception crosses the window procedure (it is shown in the standard error box).

#include <windows.h>

namespace voice::gui {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const noexcept { return hwnd_; }

protected:
    // Registers the class on first use (window procedure: this base) and creates the
    // window with this object attached.
    HWND CreateWindowObject(const wchar_t* className, UINT classStyle, HBRUSH background,
                            DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
                            int width, int height, HWND parent, UINT_PTR id);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
        return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }
    // Called after WM_NCDESTROY, when the handle is already gone.
    virtual void OnHandleDestroyed() {}

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

} // namespace voice::gui
