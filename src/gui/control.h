#pragma once
// Base of every control wrapper. A wrapper owns one child window (a standard or common
// control, or a window class of our own), keeps its state in the object and receives:
//  - the control's own messages through a subclass (OnMessage), and
//  - the notifications its parent gets about it (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
//    WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR*), which every container of
//    ours reflects back to the control they came from (OnReflected).
// WM_MEASUREITEM arrives during creation, before a wrapper is attached: owner-drawn
// controls set their item height with LB_SETITEMHEIGHT / CB_SETITEMHEIGHT instead.
// No exception crosses a window procedure: the boundary shows it in the standard
// error box.

#include <windows.h>

namespace voice::gui {

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const noexcept { return hwnd_; }
    bool Enabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) { ::EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    void SetFont(HFONT font) { ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

    // Notification about this control that its parent received. Return true when handled
    // (result then goes back to the sender).
    virtual bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // The wrapper attached to a window, or nullptr.
    static Control* FromHandle(HWND hwnd) noexcept;

protected:
    // Attaches this wrapper to a freshly created child window and subclasses it.
    void Attach(HWND hwnd);
    // The control's own messages; the default passes them on unchanged.
    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT CallDefault(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR id, DWORD_PTR data);
    void Detach() noexcept;
    HWND hwnd_ = nullptr;
};

// For the window procedure of every container (the main window, group boxes, panels):
// hands a notification from a child to that child's wrapper. Returns true when the
// wrapper handled it.
bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

} // namespace voice::gui
