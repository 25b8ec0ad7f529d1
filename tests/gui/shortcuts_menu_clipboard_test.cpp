// Keyboard shortcuts, the context menu and the clipboard, on real windows.

#include "gui/clipboard.h"
#include "gui/form.h"
#include "gui/popup_menu.h"
#include "gui/shortcuts.h"
#include "held_keys.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

namespace voice::gui {
namespace {

using testing::HeldKeys;

TEST(ShortcutTest, TextNamesModifiersAndKey) {
    EXPECT_EQ(ShortcutText({'E', true, false, 1}), L"Ctrl+E");
    EXPECT_EQ(ShortcutText({VK_F10, false, true, 1}), L"Shift+F10");
    EXPECT_EQ(ShortcutText({'S', true, true, 1}), L"Ctrl+Shift+S");
}

TEST(ShortcutTest, KeyWithItsModifiersFindsTheCommandExceptWhereATextFieldKeepsIt) {
    testing::HostWindow host;
    HWND list = ::CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD, 0, 0, 50, 50, host.Handle(),
                                  nullptr, nullptr, nullptr);
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 60, 50, 20, host.Handle(), nullptr,
                                  nullptr, nullptr);
    const Shortcut shortcuts[] = {
        {'E', true, false, 1, ShortcutScope::Anywhere},
        {'C', true, false, 2, ShortcutScope::OutsideTextFields},
        {'S', true, true, 3, ShortcutScope::Anywhere},
    };
    struct Case {
        std::initializer_list<int> held;
        UINT key;
        HWND focus;
        UINT expected; // 0: none
    };
    const Case cases[] = {
        {{VK_CONTROL}, 'E', list, 1},
        {{VK_CONTROL}, 'E', edit, 1},
        {{VK_CONTROL}, 'C', list, 2},
        {{VK_CONTROL}, 'C', edit, 0}, // the field copies its own text
        {{}, 'E', list, 0},
        {{VK_CONTROL, VK_SHIFT}, 'E', list, 0}, // more modifiers: another key
        {{VK_CONTROL, VK_MENU}, 'E', list, 0},
        {{VK_CONTROL, VK_SHIFT}, 'S', list, 3},
        {{VK_CONTROL}, 'S', list, 0},
    };
    for (const Case& c : cases) {
        HeldKeys held(c.held);
        const MSG msg{c.focus, WM_KEYDOWN, c.key, 0};
        const Shortcut* found = FindShortcut(shortcuts, msg);
        EXPECT_EQ(found ? found->command : 0u, c.expected)
            << "key " << static_cast<char>(c.key) << (c.focus == edit ? " in edit" : " in list");
        const MSG up{c.focus, WM_KEYUP, c.key, 0};
        EXPECT_EQ(FindShortcut(shortcuts, up), nullptr);
    }
}

// A form whose commands are counted.
class CommandForm : public Form {
public:
    CommandForm() {
        CreateForm(L"form", 0, 0, 200, 150);
        OnCommand = [this](UINT command) { commands.push_back(command); };
        SetShortcuts({{'E', true, false, 7}});
        child = ::CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, Handle(),
                                  nullptr, nullptr, nullptr);
    }
    ~CommandForm() override { DestroyForm(); }
    std::vector<UINT> commands;
    HWND child = nullptr;
};

TEST(ShortcutTest, MessageLoopSendsTheCommandOnlyForKeysInsideTheForm) {
    CommandForm form;
    CommandForm other;
    HeldKeys held({VK_CONTROL});
    MSG inside{form.child, WM_KEYDOWN, 'E', 0};
    EXPECT_TRUE(PreTranslateMessage(form, inside));
    EXPECT_EQ(form.commands, std::vector<UINT>{7});

    MSG elsewhere{other.child, WM_KEYDOWN, 'E', 0};
    EXPECT_FALSE(PreTranslateMessage(form, elsewhere));
    EXPECT_EQ(form.commands.size(), 1u);
    EXPECT_TRUE(other.commands.empty());

    // A menu item's WM_COMMAND reaches the same handler.
    ::SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(9, 0), 0);
    EXPECT_EQ(form.commands, (std::vector<UINT>{7, 9}));
}

TEST(PopupMenuTest, ItemsCarryTextShortcutAndState) {
    PopupMenu menu;
    menu.AddItem(11, L"Экспорт…", L"Ctrl+E", true);
    menu.AddSeparator();
    menu.AddItem(12, L"Копировать", L"Ctrl+C", false);
    menu.AddItem(13, L"Без клавиши", L"", true);
    struct Expected {
        UINT id;
        const wchar_t* text;
        bool grey;
    };
    const Expected expected[] = {{11, L"Экспорт…\tCtrl+E", false},
                                 {0, L"", false},
                                 {12, L"Копировать\tCtrl+C", true},
                                 {13, L"Без клавиши", false}};
    ASSERT_EQ(::GetMenuItemCount(menu.Handle()), 4);
    for (UINT i = 0; i < 4; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 128;
        ASSERT_TRUE(::GetMenuItemInfoW(menu.Handle(), i, TRUE, &info));
        EXPECT_EQ(info.wID, expected[i].id) << i;
        EXPECT_EQ(std::wstring(text), expected[i].text) << i;
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, expected[i].id == 0) << i;
        if (expected[i].id != 0) // a separator counts as grey on some systems
            EXPECT_EQ((info.fState & MFS_GRAYED) != 0, expected[i].grey) << i;
    }
}

TEST(ClipboardTest, TextRoundTripsWithLinesAndCyrillic) {
    testing::HostWindow host;
    const std::wstring text = L"1  15.03.10 08:00:00\r\nКанал 3 — запись\r\n";
    ASSERT_TRUE(SetClipboardText(host.Handle(), text));
    EXPECT_EQ(ClipboardText(host.Handle()), text);
    ASSERT_TRUE(SetClipboardText(host.Handle(), L""));
    EXPECT_EQ(ClipboardText(host.Handle()), L"");
}

} // namespace
} // namespace voice::gui
