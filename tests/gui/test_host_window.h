#pragma once
// What the GUI tests of single controls need around them: a top-level window that
// reflects its children's notifications as every container of the program does, a way
// to let posted messages and timers run, and a catcher for the standard error box that
// records its texts and closes it, so that a test never blocks on a modal box.

#include "gui/control.h"
#include "gui/window.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace voice::gui::testing {

class HostWindow : public Window {
public:
    HostWindow() {
        CreateWindowObject(L"VoiceTestHost", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), 0,
                           WS_OVERLAPPEDWINDOW, L"host", 100, 100, 400, 300, nullptr, 0);
        // Left hidden: focus and messages work the same, and under Wine without a window
        // manager destroying a shown window waits two seconds.
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        LRESULT result = 0;
        if (ReflectToControl(msg, wp, lp, result))
            return result;
        return DefaultHandling(msg, wp, lp);
    }
};

// Dispatches everything queued, then keeps pumping until done() or the timeout.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void Pump() {
    PumpUntil([] { return true; });
}

// Closes every message box of this thread as soon as it is shown and records what it said.
class MessageBoxCatcher {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
        HWND focusBefore; // the window that had the focus while the box came up
        HWND owner;
        UINT icon; // MB_ICONERROR, MB_ICONEXCLAMATION, MB_ICONINFORMATION, MB_ICONQUESTION or 0
    };

    MessageBoxCatcher() {
        current_ = this;
        hook_ =
            ::SetWindowsHookExW(WH_CBT, &MessageBoxCatcher::Hook, nullptr, ::GetCurrentThreadId());
    }
    ~MessageBoxCatcher() {
        ::UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<Box>& Boxes() const noexcept { return boxes_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_ACTIVATE && current_) {
            HWND box = reinterpret_cast<HWND>(wp);
            wchar_t className[32] = {};
            ::GetClassNameW(box, className, 32);
            if (std::wstring(className) == L"#32770") {
                wchar_t caption[256] = {};
                wchar_t text[1024] = {};
                ::GetWindowTextW(box, caption, 256);
                ::GetDlgItemTextW(box, 0xFFFF, text, 1024); // the box's message
                current_->boxes_.push_back(
                    {caption, text, ::GetFocus(), ::GetWindow(box, GW_OWNER), IconOf(box)});
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
        }
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }

    // The system icon the box shows, told by the handle of its icon control.
    static UINT IconOf(HWND box) {
        struct Known {
            const wchar_t* resource;
            UINT flag;
        };
        static const Known kKnown[] = {{IDI_HAND, MB_ICONERROR},
                                       {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                                       {IDI_ASTERISK, MB_ICONINFORMATION},
                                       {IDI_QUESTION, MB_ICONQUESTION}};
        for (HWND child = ::GetWindow(box, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            ::GetClassNameW(child, className, 16);
            if (_wcsicmp(className, L"Static") != 0 ||
                (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
                continue;
            const auto shown = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
            for (const Known& known : kKnown)
                if (shown && shown == ::LoadIconW(nullptr, known.resource))
                    return known.flag;
        }
        return 0;
    }

    static inline MessageBoxCatcher* current_ = nullptr;
    HHOOK hook_ = nullptr;
    std::vector<Box> boxes_;
};

} // namespace voice::gui::testing
