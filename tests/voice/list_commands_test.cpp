// The list's commands as both context menus (the list's and the timeline's) and the
// window's keys offer them: what each needs of the list, and menus that name the keys
// that really send their commands.

#include "voice/list_commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace voice {
namespace {

ListState List(int lines, int selected, bool busy = false) {
    ListState list;
    list.lines = lines;
    list.selected = selected;
    list.busy = busy;
    return list;
}

TEST(ListCommands, EachRunsOnlyWhenTheListHoldsWhatItNeeds) {
    const UINT onSelection[] = {kExportSelectedCommand, kMergeSelectedCommand, kPlayIncidentCommand,
                                kSaveIncidentCommand, kCopySelectedCommand};
    const struct {
        const char* what;
        ListState list;
        bool selectionCommands, saveList, timeline;
    } cases[] = {
        {"an empty list", List(0, 0), false, false, true},
        {"lines, none selected", List(3, 0), false, true, true},
        {"a line selected", List(3, 1), true, true, true},
        {"every line selected", List(3, 3), true, true, true},
        {"a command still running", List(3, 3, true), false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const UINT command : onSelection)
            EXPECT_EQ(ListCommandAvailable(command, c.list), c.selectionCommands) << command;
        EXPECT_EQ(ListCommandAvailable(kSaveListCommand, c.list), c.saveList);
        EXPECT_EQ(ListCommandAvailable(kTimelineCommand, c.list), c.timeline);
        // The incident's options are the playback submenu's, not the list's.
        EXPECT_FALSE(ListCommandAvailable(kIncidentSkipSilenceCommand, c.list));
        EXPECT_FALSE(ListCommandAvailable(0, c.list));
    }
}

// Every item shows the key that sends its command, grey exactly when it cannot run; every
// key sends a command the menu holds, and no two commands share a key.
TEST(ListCommands, TheMenuNamesTheKeysThatSendItsCommands) {
    const std::vector<gui::Shortcut> keys = ListShortcuts();
    for (const ListState& list : {List(3, 0), List(3, 2), List(0, 0, true)}) {
        gui::PopupMenu menu;
        AppendListCommands(menu, list);
        std::set<UINT> shown;
        for (int i = 0; i < ::GetMenuItemCount(menu.Handle()); ++i) {
            const UINT command = ::GetMenuItemID(menu.Handle(), i);
            const UINT state = ::GetMenuState(menu.Handle(), static_cast<UINT>(i), MF_BYPOSITION);
            if (state & MF_SEPARATOR)
                continue;
            shown.insert(command);
            wchar_t text[128]{};
            ::GetMenuStringW(menu.Handle(), static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            const std::wstring label = text;
            const std::size_t tab = label.find(L'\t');
            ASSERT_NE(tab, std::wstring::npos) << command;
            bool sent = false;
            for (const gui::Shortcut& key : keys)
                sent = sent ||
                       (key.command == command && label.substr(tab + 1) == gui::ShortcutText(key));
            EXPECT_TRUE(sent) << command;
            EXPECT_EQ((state & MF_GRAYED) == 0, ListCommandAvailable(command, list)) << command;
        }
        for (const gui::Shortcut& key : keys)
            EXPECT_TRUE(shown.count(key.command)) << key.command;
    }
    std::set<std::tuple<UINT, bool, bool>> pressed;
    for (const gui::Shortcut& key : keys)
        EXPECT_TRUE(pressed.insert({key.key, key.ctrl, key.shift}).second) << key.command;
}

} // namespace
} // namespace voice
