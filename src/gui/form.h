#pragma once
// A top-level window holding controls: placed and sized as designed at 96 dpi and scaled
// to the screen, painted on the button face, reflecting its children's notifications,
// with a close event that decides what closing does.

#include "gui/window.h"

#include <functional>

namespace voice::gui {

enum class CloseAction { None, Hide, Free, Minimize };

class Form : public Window {
public:
    // Creates the window hidden; the rectangle is the outer one, in designed pixels.
    void CreateForm(const wchar_t* caption, int left, int top, int width, int height);
    void Show(int showCommand = SW_SHOWNORMAL);
    // Asks the window to close, as its close box does.
    void Close();
    UINT Dpi() const noexcept { return dpi_; }
    // Destroying the main form ends the message loop.
    void SetMainForm(bool main) noexcept { main_ = main; }

    // Raised once by the owner after every control exists, before the window is shown.
    std::function<void()> OnCreate;
    // Decides what closing does; without a handler the window is destroyed.
    std::function<void(CloseAction&)> OnClose;
    // The window moved to a screen of another density: lay everything out for it.
    std::function<void(UINT dpi)> OnDpiChanged;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // Destroys the window and all its children now, while every wrapper still exists.
    void DestroyForm();
    // The window is being destroyed (its children still exist).
    virtual void OnDestroying() {}

private:
    // WM_NEXTDLGCTL, as a dialog answers it: the focus to the given control, or to the
    // next or previous one in the keyboard order.
    void MoveFocus(WPARAM wp, LPARAM lp);

    UINT dpi_ = 96;
    bool main_ = false;
    HWND lastFocus_ = nullptr; // given back when the window is activated again
};

// One message as the loop handles it: keys first to the dialog manager's keyboard
// navigation (Tab, arrows, space) inside the main form, everything else dispatched.
void HandleLoopMessage(const Form& mainForm, MSG& msg);

// Shows nothing by itself: handles messages until the main form is gone.
int RunMessageLoop(const Form& mainForm);

} // namespace voice::gui
