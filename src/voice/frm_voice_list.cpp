// The recordings list's commands in the window: what the list holds for them, the context
// menu the list and the timeline both show (the commands, then "Воспроизведение"), and the
// handler each command runs, whichever menu or key it came from.

#include "gui/popup_menu.h"
#include "voice/frm_voice.h"
#include "voice/list_commands.h"

namespace voice {

void TFrmVoice::SetUpListCommands() {
    SetShortcuts(ListShortcuts());
    OnCommand = [this](UINT command) { RunListCommand(command); };
    LBListFiles.OnContextMenu = [this](POINT screen) { LBListFilesContextMenu(screen); };
}

ListState TFrmVoice::ListNow() const {
    ListState list;
    list.busy = ExportWork.Running();
    list.lines = LBListFiles.Count();
    list.selected = static_cast<int>(::SendMessageW(LBListFiles.Handle(), LB_GETSELCOUNT, 0, 0));
    return list;
}

bool TFrmVoice::ListCommandAvailable(UINT command) const {
    return voice::ListCommandAvailable(command, ListNow());
}

void TFrmVoice::AppendListMenu(gui::PopupMenu& menu) {
    AppendListCommands(menu, ListNow());
    AppendPlaybackMenu(menu);
}

void TFrmVoice::LBListFilesContextMenu(POINT screen) {
    gui::PopupMenu menu;
    AppendListMenu(menu);
    menu.Track(Handle(), screen);
}

void TFrmVoice::RunListCommand(UINT command) {
    // A shortcut for a command that cannot run now does nothing, as its grey item would.
    if (!ListCommandAvailable(command))
        return;
    switch (command) {
    case kExportSelectedCommand:
        ExportSelectedClick();
        break;
    case kMergeSelectedCommand:
        MergeSelectedClick();
        break;
    case kSaveListCommand:
        SaveListClick();
        break;
    case kCopySelectedCommand:
        CopySelectedClick();
        break;
    case kPlayIncidentCommand:
        PlayIncidentClick();
        break;
    case kSaveIncidentCommand:
        SaveIncidentClick();
        break;
    case kTimelineCommand:
        TimelineClick();
        break;
    default:
        break;
    }
}

} // namespace voice
