#include "gui/shortcuts.h"

#include <cwchar>

namespace voice::gui {
namespace {

bool KeyDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

std::wstring KeyName(UINT key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= VK_F1 && key <= VK_F24)
        return L"F" + std::to_wstring(key - VK_F1 + 1);
    switch (key) {
    case VK_OEM_MINUS:
        return L"-";
    case VK_OEM_PLUS:
        return L"=";
    case VK_LEFT:
        return L"Left";
    case VK_RIGHT:
        return L"Right";
    case VK_PRIOR:
        return L"PgUp";
    case VK_NEXT:
        return L"PgDn";
    case VK_RETURN:
        return L"Enter";
    default:
        return L"?";
    }
}

} // namespace

std::wstring ShortcutText(const Shortcut& shortcut) {
    std::wstring text;
    if (shortcut.ctrl)
        text += L"Ctrl+";
    if (shortcut.shift)
        text += L"Shift+";
    return text + KeyName(shortcut.key);
}

bool IsTextField(HWND window) {
    wchar_t className[16] = {};
    return window && ::GetClassNameW(window, className, 16) > 0 &&
           _wcsicmp(className, L"Edit") == 0;
}

const Shortcut* FindShortcut(std::span<const Shortcut> shortcuts, const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return nullptr;
    // Alt+key belongs to the menu and the dialog manager.
    if (KeyDown(VK_MENU))
        return nullptr;
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    for (const Shortcut& shortcut : shortcuts) {
        if (shortcut.key != msg.wParam || shortcut.ctrl != ctrl || shortcut.shift != shift)
            continue;
        if (shortcut.scope == ShortcutScope::OutsideTextFields && IsTextField(msg.hwnd))
            return nullptr;
        return &shortcut;
    }
    return nullptr;
}

} // namespace voice::gui
