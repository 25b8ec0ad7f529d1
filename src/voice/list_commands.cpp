#include "voice/list_commands.h"

namespace voice {
namespace {

// What a command needs before it can run (its menu item is grey otherwise).
enum class CommandNeeds { SelectedLine, AnyLine, Nothing };

struct ListCommand {
    ListCommandId id;
    const wchar_t* text;
    gui::Shortcut shortcut;
    CommandNeeds needs;
    bool separatorBefore;
};

constexpr gui::Shortcut Ctrl(UINT key, ListCommandId command,
                             gui::ShortcutScope scope = gui::ShortcutScope::Anywhere) {
    return {key, true, false, command, scope};
}

// The context menus show the rows in order; the window's shortcuts are their keys.
// clang-format off
constexpr ListCommand kCommands[] = {
    // id                      menu text                                 shortcut                                   needs                       separator before
    {kExportSelectedCommand,   L"Экспорт выбранных записей…",            Ctrl('E', kExportSelectedCommand),         CommandNeeds::SelectedLine, false},
    {kMergeSelectedCommand,    L"Объединить выбранные в один файл…",     Ctrl('M', kMergeSelectedCommand),          CommandNeeds::SelectedLine, false},
    {kPlayIncidentCommand,     L"Воспроизвести как было",                Ctrl(VK_RETURN, kPlayIncidentCommand),     CommandNeeds::SelectedLine, false},
    {kSaveIncidentCommand,     L"Сохранить как было…",                   {VK_RETURN, true, true, kSaveIncidentCommand}, CommandNeeds::SelectedLine, false},
    {kSaveListCommand,         L"Сохранить список…",                     Ctrl('S', kSaveListCommand),               CommandNeeds::AnyLine,      false},
    // A text field keeps its own Ctrl+C.
    {kCopySelectedCommand,     L"Копировать",                            Ctrl('C', kCopySelectedCommand,
                                                                              gui::ShortcutScope::OutsideTextFields), CommandNeeds::SelectedLine, true},
    {kTimelineCommand,         L"Временная шкала…",                      Ctrl('T', kTimelineCommand),               CommandNeeds::Nothing,      true},
};
// clang-format on

} // namespace

bool ListCommandAvailable(UINT command, const ListState& list) {
    if (list.busy)
        return false;
    for (const ListCommand& row : kCommands) {
        if (row.id != command)
            continue;
        if (row.needs == CommandNeeds::Nothing)
            return true;
        if (row.needs == CommandNeeds::AnyLine)
            return list.lines > 0;
        return list.selected > 0;
    }
    return false;
}

void AppendListCommands(gui::PopupMenu& menu, const ListState& list) {
    for (const ListCommand& row : kCommands) {
        if (row.separatorBefore)
            menu.AddSeparator();
        menu.AddItem(row.id, row.text, gui::ShortcutText(row.shortcut),
                     ListCommandAvailable(row.id, list));
    }
}

std::vector<gui::Shortcut> ListShortcuts() {
    std::vector<gui::Shortcut> shortcuts;
    for (const ListCommand& row : kCommands)
        shortcuts.push_back(row.shortcut);
    return shortcuts;
}

} // namespace voice
