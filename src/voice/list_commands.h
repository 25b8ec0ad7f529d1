#pragma once
// The recordings list's commands: their ids, and the one table of their menu texts, keys
// and what each needs of the list. The list's context menu and the timeline's show the same
// items from it and the window's shortcuts are its keys, so both windows offer the same
// commands on the one selection; a chosen one comes back to the window as WM_COMMAND.

#include <windows.h>

#include <vector>

#include "gui/popup_menu.h"
#include "gui/shortcuts.h"

namespace voice {

enum ListCommandId : UINT {
    kExportSelectedCommand = 0x7E01,
    kMergeSelectedCommand,
    kSaveListCommand,
    kCopySelectedCommand,
    kTimelineCommand,
    kPlayIncidentCommand,
    kSaveIncidentCommand,
    // The incident's options in the "Воспроизведение" submenu.
    kIncidentSkipSilenceCommand,
    kIncidentSpreadCommand,
};

// What the list holds when a command is asked for.
struct ListState {
    bool busy = false; // a command runs on its worker thread
    int lines = 0;
    int selected = 0;
};

// Whether command can run now; false for a command that is not in the table.
bool ListCommandAvailable(UINT command, const ListState& list);
// The table's items in order, each grey where it cannot run now.
void AppendListCommands(gui::PopupMenu& menu, const ListState& list);
// The table's keys, for the window's shortcuts.
std::vector<gui::Shortcut> ListShortcuts();

} // namespace voice
