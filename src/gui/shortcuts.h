#pragma once
// Keyboard shortcuts of a window: a key with Ctrl and/or Shift that sends a command,
// whichever control has the focus. A shortcut that a text field uses itself (Ctrl+C
// copies the field's selection) is left to the field while one has the focus.

#include <windows.h>

#include <span>
#include <string>

namespace voice::gui {

enum class ShortcutScope {
    Anywhere,
    OutsideTextFields,
};

struct Shortcut {
    UINT key; // virtual key: 'A'..'Z', '0'..'9', VK_F1..VK_F24, arrows, media keys...
    bool ctrl = false;
    bool shift = false;
    UINT command = 0;
    ShortcutScope scope = ShortcutScope::Anywhere;
};

// As a menu shows it: "Ctrl+E", "Shift+F10".
std::wstring ShortcutText(const Shortcut& shortcut);

// A window that edits text itself (an edit control, masked or not).
bool IsTextField(HWND window);

// The shortcut a key-down message stands for, with the modifiers as the keyboard holds
// them now and the scope checked against the message's window; nullptr for none.
const Shortcut* FindShortcut(std::span<const Shortcut> shortcuts, const MSG& msg);

} // namespace voice::gui
