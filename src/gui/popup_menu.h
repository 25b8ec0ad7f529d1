#pragma once
// A context menu built for one showing: items with their shortcut shown at the right,
// grey where the command cannot run now. The chosen item arrives at the owner as
// WM_COMMAND with the item's command id, the same message a keyboard shortcut sends.

#include <windows.h>

#include <string>

namespace voice::gui {

class PopupMenu {
public:
    PopupMenu();
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    void AddItem(UINT command, const std::wstring& text, const std::wstring& shortcut,
                 bool enabled);
    // A checked or unchecked item; a radio item shows a dot, one of a group.
    void AddCheckItem(UINT command, const std::wstring& text, const std::wstring& shortcut,
                      bool checked, bool radio);
    // The submenu becomes part of this menu and goes with it.
    void AddSubmenu(const std::wstring& text, PopupMenu&& submenu);
    void AddSeparator();
    HMENU Handle() const noexcept { return menu_; }

    // Shows the menu at a screen point and returns when it has closed.
    void Track(HWND owner, POINT screen) const;

private:
    HMENU menu_;
};

// Where a context menu opened from the keyboard (lParam -1 in WM_CONTEXTMENU) appears:
// below the list box's focused line, or at its top left corner when it has none.
POINT KeyboardMenuPoint(HWND listBox);

} // namespace voice::gui
