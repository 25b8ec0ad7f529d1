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
};

} // namespace voice
