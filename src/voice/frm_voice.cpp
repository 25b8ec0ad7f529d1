// Start-up, shutdown, ticking all channels, and building and clearing the list.

#include "voice/frm_voice.h"

#include "catalogue/win32_directory_enumerator.h"
#include "gui/error_box.h"
#include "gui/message_box.h"

#include <algorithm>

namespace voice {
namespace {

std::wstring CurrentDirectory() {
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(size, L'\0');
    dir.resize(::GetCurrentDirectoryW(size, dir.data()));
    return dir;
}

CalendarDate ToCalendarDate(const gui::Date& date) {
    return {date.year, date.month, date.day};
}

} // namespace

void TFrmVoice::FormCreate() {
    PlayPending = false;
    CheckAllChannels(false);
    DTPicker0.SetValue(gui::Today());
    DTPicker1.SetValue(gui::Today());
    MEDTime0.SetText(L"00:00:00");
    MEDTime1.SetText(L"00:00:00");
    StartDir = CurrentDirectory();
    try {
        LoadChannelDirTable(ChannelDirTable);
    } catch (...) {
        // A settings file that breaks after it was opened is reported; start-up goes on
        // with the table as the load left it.
        gui::ShowCurrentException(Handle());
    }
    SequenceActive = false;
    MediaPlayer1.SetNotify(true);
    MediaPlayer1.Close();
    LineList.Clear();
    LineList.SetOrderingSource([this] { return RGSort.ItemIndex(); });
    LBListFiles.SetLines(LineList.Lines());
    DayDirList.clear();
    // PlaybackHandle and RecordingHandle start unused: nothing to close until a conversion.
}

void TFrmVoice::FormClose(gui::CloseAction& action) {
    action = gui::CloseAction::Free;
    // An export still running stops after its current file; the window waits for it.
    ExportWork.CancelAndWait();
    SequenceActive = false;
    MediaPlayer1.Close();
    MediaPlayer1.SetNotify(false);
    if (PlaybackHandle.IsOpen())
        CloseFileHandle(PlaybackHandle);
    if (RecordingHandle.IsOpen())
        CloseFileHandle(RecordingHandle);
    ::SetCurrentDirectoryW(StartDir.c_str());
    // By full path: should StartDir have gone, a file of that name elsewhere stays.
    const std::wstring playbackFile = StartDir + L"\\$$$.Wav";
    if (::GetFileAttributesW(playbackFile.c_str()) != INVALID_FILE_ATTRIBUTES)
        ::DeleteFileW(playbackFile.c_str());
    DayDirList.clear();
}

void TFrmVoice::CheckAllChannels(bool checked) {
    for (HWND child : GrBxChannals.Children())
        if (auto* box = dynamic_cast<gui::CheckBox*>(gui::Control::FromHandle(child)))
            box->SetChecked(checked);
}

void TFrmVoice::BtnCaseAllClick() {
    CheckAllChannels(true);
}

void TFrmVoice::BtnCleareAllClick() {
    CheckAllChannels(false);
}

SearchCriteria TFrmVoice::GatherSearchCriteria() const {
    SearchCriteria criteria;
    // A channel is its box's place among the check boxes of the group, not its name.
    size_t channel = 0;
    for (HWND child : GrBxChannals.Children()) {
        auto* box = dynamic_cast<gui::CheckBox*>(gui::Control::FromHandle(child));
        if (box && channel < criteria.channelTicked.size())
            criteria.channelTicked[channel++] = box->Checked();
    }
    criteria.from = ToCalendarDate(DTPicker0.Value());
    criteria.to = ToCalendarDate(DTPicker1.Value());
    criteria.fromTime = {MEDTime0.Enabled(), MEDTime0.Text()};
    criteria.toTime = {MEDTime1.Enabled(), MEDTime1.Text()};
    criteria.timeSeparator = LocaleTimeSeparator();
    return criteria;
}

void TFrmVoice::BtnFormListClick() {
    SequenceActive = false;
    MediaPlayer1.Close();
    MediaPlayer1.SetFileName(L"");
    LineList.Clear();
    LBListFiles.Clear();

    const SearchCriteria criteria = GatherSearchCriteria();
    if (std::none_of(criteria.channelTicked.begin(), criteria.channelTicked.end(),
                     [](bool ticked) { return ticked; })) {
        TimelineListChanged();
        gui::ShowMessageBox(Handle(), L"Для поиска не выбрано ни одного канала.", L"Ошибка условия",
                            MB_OK | MB_ICONERROR);
        return;
    }

    gui::WaitCursor wait;
    RunRecordingSearch(criteria, ChannelDirTable, LineList, StartDir,
                       [this] { LBListFiles.SetLines(LineList.Lines()); });
    TimelineListChanged();
}

void TFrmVoice::BtnClearListClick() {
    LineList.Clear();
    LBListFiles.Clear();
    SequenceActive = false;
    MediaPlayer1.Close();
    TimelineListChanged();
}

} // namespace voice
