#pragma once
// A top-level window holding controls: placed and sized as designed at 96 dpi and scaled
// to the screen, painted on the button face, reflecting its children's notifications,
// with a close event that decides what closing does.

#include "gui/shortcuts.h"
#include "gui/window.h"

#include <functional>
#include <vector>

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
    // A command chosen from a menu of the window or by one of its shortcuts.
    std::function<void(UINT command)> OnCommand;
    // A WM_APPCOMMAND (a keyboard's media keys) for the window or one of its controls;
    // true when it was used, otherwise the system's default handling follows.
    std::function<bool(int appCommand)> OnAppCommand;

    // Shortcuts that work wherever the focus is in the window.
    void SetShortcuts(std::vector<Shortcut> shortcuts) { shortcuts_ = std::move(shortcuts); }
    const std::vector<Shortcut>& Shortcuts() const noexcept { return shortcuts_; }
    // A key message for this window or one of its controls that is one of its shortcuts:
    // sends the command (WM_COMMAND, as an accelerator does) and returns true.
    bool TranslateShortcut(const MSG& msg) const;

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
    std::vector<Shortcut> shortcuts_;
};

// What the message loop does with a message before dispatching it: the main form's
// shortcuts, then the dialog manager's keyboard navigation (Tab, arrows, space, Escape)
// in the main form and the windows it owns. True when the message was used.
bool PreTranslateMessage(const Form& mainForm, MSG& msg);

// One message as the loop handles it: PreTranslateMessage first, everything else
// dispatched.
void HandleLoopMessage(const Form& mainForm, MSG& msg);

// Shows nothing by itself: handles messages until the main form is gone.
int RunMessageLoop(const Form& mainForm);

} // namespace voice::gui
