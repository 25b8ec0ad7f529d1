#pragma once
// The export commands of the recordings list, as one table: the context menu shows the
// rows in order (a separator before "Копировать"), the window's shortcuts are their keys.

#include "gui/shortcuts.h"

#include <span>

namespace voice {

enum ExportCommandId : UINT {
    kExportSelectedCommand = 0x7E01,
    kMergeSelectedCommand,
    kSaveListCommand,
    kCopySelectedCommand,
};

// What a command needs before it can run (its menu item is grey otherwise).
enum class CommandNeeds { SelectedLine, AnyLine };

struct ExportCommand {
    ExportCommandId id;
    const wchar_t* text;
    gui::Shortcut shortcut;
    CommandNeeds needs;
    bool separatorBefore;
};

std::span<const ExportCommand> ExportCommands();

} // namespace voice
