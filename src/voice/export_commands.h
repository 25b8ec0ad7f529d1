#pragma once
// The command ids of the recordings list's export commands: what a context-menu item
// and a keyboard shortcut send the window (WM_COMMAND).

#include <windows.h>

namespace voice {

enum ExportCommandId : UINT {
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

} // namespace voice
