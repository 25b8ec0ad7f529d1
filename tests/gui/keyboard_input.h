#pragma once
// The user's keyboard as the program's message loop meets it: keys posted to the window
// with the focus and handled by the loop's own step, the dialog manager first. And the
// radio buttons of Windows, which report a click to their parent when they get the focus
// unchecked other than by the mouse; Wine's do not, so a test puts that behaviour under
// the program's own handling of the buttons.

#include "gui/form.h"

#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <vector>

namespace voice::gui::testing {

// Handles everything queued as the program's message loop does.
inline void RunLoopUntilIdle(const Form& form) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        HandleLoopMessage(form, msg);
}

// Down and up of one key at the focused window, through the message loop.
inline void PressKey(const Form& form, UINT key) {
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, key, scan | 1);
    RunLoopUntilIdle(form);
    ::PostMessageW(::GetFocus(), WM_KEYUP, key, scan | 1 | 0xC0000000);
    RunLoopUntilIdle(form);
}

// A key as a keyboard sends it, modifiers held around it: through the system's input queue
// to focus, so the system adds what it adds (a media key also comes as WM_APPCOMMAND), and
// through the program's message loop until the last release has come.
inline void TypeKey(const Form& form, HWND focus, UINT key, std::initializer_list<UINT> held = {}) {
    ::SetForegroundWindow(::GetAncestor(focus, GA_ROOT));
    ::SetFocus(focus);
    std::vector<INPUT> inputs;
    const auto add = [&](UINT vk, DWORD up) {
        const bool extended = (vk >= VK_PRIOR && vk <= VK_DOWN) || vk >= VK_BROWSER_BACK;
        inputs.push_back({INPUT_KEYBOARD});
        inputs.back().ki = {static_cast<WORD>(vk), 0, up | (extended ? KEYEVENTF_EXTENDEDKEY : 0)};
    };
    for (UINT modifier : held)
        add(modifier, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (auto it = held.end(); it != held.begin();)
        add(*--it, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    MSG msg{};
    for (const DWORD until = ::GetTickCount() + 5000;
         !(msg.message == WM_KEYUP && msg.wParam == inputs.back().ki.wVk) &&
         ::GetTickCount() < until;)
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            HandleLoopMessage(form, msg);
        else
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    RunLoopUntilIdle(form);
}

class WindowsRadioFocusClicks {
public:
    WindowsRadioFocusClicks() {
        hook_ = ::SetWindowsHookExW(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~WindowsRadioFocusClicks() { ::UnhookWindowsHookEx(hook_); }
    WindowsRadioFocusClicks(const WindowsRadioFocusClicks&) = delete;
    WindowsRadioFocusClicks& operator=(const WindowsRadioFocusClicks&) = delete;

private:
    static constexpr UINT_PTR kId = 0x52464F43; // "RFOC"

    // Installed as the button is created, so it sits below every later subclass, as the
    // button's own procedure does.
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND) {
            HWND window = reinterpret_cast<HWND>(wp);
            const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp)->lpcs;
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            const LONG type = create->style & BS_TYPEMASK;
            if (_wcsicmp(name, L"Button") == 0 &&
                (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
                ::SetWindowSubclass(window, &Button, kId, 0);
        }
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }

    static LRESULT CALLBACK Button(HWND button, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                   DWORD_PTR) {
        if (msg == WM_NCDESTROY)
            ::RemoveWindowSubclass(button, &Button, kId);
        const LRESULT result = ::DefSubclassProc(button, msg, wp, lp);
        if (msg == WM_SETFOCUS && ::GetCapture() != button &&
            ::SendMessageW(button, BM_GETCHECK, 0, 0) != BST_CHECKED) {
            if ((::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                ::SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
            ::SendMessageW(::GetParent(button), WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
        }
        return result;
    }

    HHOOK hook_ = nullptr;
};

} // namespace voice::gui::testing
