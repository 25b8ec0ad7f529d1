#include "gui/popup_menu.h"

#include "platform/app_error.h"

#include <algorithm>

namespace voice::gui {

PopupMenu::PopupMenu() : menu_(::CreatePopupMenu()) {
    if (!menu_)
        throw AppError(L"Cannot create a menu");
}

PopupMenu::~PopupMenu() {
    if (menu_)
        ::DestroyMenu(menu_);
}

void PopupMenu::AddItem(UINT command, const std::wstring& text, const std::wstring& shortcut,
                        bool enabled) {
    // The tab puts the shortcut into the menu's right-aligned column.
    const std::wstring label = shortcut.empty() ? text : text + L"\t" + shortcut;
    ::AppendMenuW(menu_, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), command, label.c_str());
}

void PopupMenu::AddCheckItem(UINT command, const std::wstring& text, const std::wstring& shortcut,
                             bool checked, bool radio) {
    std::wstring label = shortcut.empty() ? text : text + L"\t" + shortcut;
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    item.fType = MFT_STRING | (radio ? MFT_RADIOCHECK : 0);
    item.fState = checked ? MFS_CHECKED : MFS_UNCHECKED;
    item.wID = command;
    item.dwTypeData = label.data();
    ::InsertMenuItemW(menu_, static_cast<UINT>(::GetMenuItemCount(menu_)), TRUE, &item);
}

void PopupMenu::AddSubmenu(const std::wstring& text, PopupMenu&& submenu) {
    if (::AppendMenuW(menu_, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.menu_),
                      text.c_str()))
        submenu.menu_ = nullptr; // destroyed with this menu now
}

void PopupMenu::AddSeparator() {
    ::AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
}

void PopupMenu::Track(HWND owner, POINT screen) const {
    // The owner must be in front, or the menu does not close when the user clicks
    // elsewhere.
    ::SetForegroundWindow(owner);
    ::TrackPopupMenuEx(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y,
                       owner, nullptr);
    ::PostMessageW(owner, WM_NULL, 0, 0);
}

POINT KeyboardMenuPoint(HWND listBox) {
    RECT area{};
    const LRESULT caret = ::SendMessageW(listBox, LB_GETCARETINDEX, 0, 0);
    if (caret == LB_ERR || ::SendMessageW(listBox, LB_GETITEMRECT, static_cast<WPARAM>(caret),
                                          reinterpret_cast<LPARAM>(&area)) == LB_ERR) {
        area = {};
    }
    RECT client{};
    ::GetClientRect(listBox, &client);
    // A focused line scrolled out of view: the menu stays inside the list.
    POINT at{area.left + 8, std::clamp(area.bottom, client.top, client.bottom)};
    ::ClientToScreen(listBox, &at);
    return at;
}

} // namespace voice::gui
