#pragma once
// TFrmVoice, the program's one window: its controls (named as designed, created from the
// control tree in frm_voice_layout.cpp), its designed state, its commands and the wiring.
// Each feature beside the design is a collaborator the window owns and asks: the listening
// aids' loaded file (ReviewedPlayback), the incident playing (IncidentPlayer), the
// timeline (TimelineLink, the timeline's host).
//
// Handlers live by subject:
//   frm_voice.cpp           start-up, shutdown, ticking all channels, building the list
//   frm_voice_time.cpp      the time-of-day fields' switches and arrows
//   frm_voice_chooser.cpp   the channel path chooser
//   frm_voice_playback.cpp  playback sequencing and the conversion into the playback file
//   frm_voice_list.cpp      the list's commands: its context menu (the timeline's too), keys
//   frm_voice_export.cpp    the export commands: dialogs, the work behind progress, clipboard
//   frm_voice_review.cpp    speed, shorter pauses, even loudness, and the player's keys
//   frm_voice_timeline.cpp  the timeline window: in step with the list and the player
//   frm_voice_incident.cpp  the selection played as it happened, and its options

#include "catalogue/channel_dir_file.h"
#include "catalogue/list_line.h"
#include "catalogue/recording_search.h"
#include "catalogue/sort_str.h"
#include "conversion/file_handle_field.h"
#include "export/archive_guard.h"
#include "gui/background_work.h"
#include "gui/bit_btn.h"
#include "gui/button.h"
#include "gui/check_box.h"
#include "gui/date_picker.h"
#include "gui/directory_list_box.h"
#include "gui/drive_combo_box.h"
#include "gui/file_dialogs.h"
#include "gui/form.h"
#include "gui/group_box.h"
#include "gui/label.h"
#include "gui/list_box.h"
#include "gui/mask_edit.h"
#include "gui/panel.h"
#include "gui/popup_menu.h"
#include "gui/radio_group.h"
#include "gui/static_text.h"
#include "gui/timer.h"
#include "gui/track_bar.h"
#include "gui/up_down.h"
#include "incident/session/incident_playback.h"
#include "platform/unique_handle.h"
#include "platform/user_files.h"
#include "playback/media_player.h"
#include "voice/incident_player.h"
#include "voice/list_commands.h"
#include "voice/reviewed_playback.h"
#include "voice/time_fields.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace voice {

class TimelineLink;
// Defined beside the link, so that the window's other files need not see it.
struct TimelineLinkDeleter {
    void operator()(TimelineLink* link) const noexcept;
};
namespace timeline {
class TimelineWindow;
}

class TFrmVoice : public gui::Form {
public:
    // Creates the window with every control as designed, binds the events and runs
    // FormCreate. The window stays hidden until Show.
    TFrmVoice();
    // The same on another way to the media control interface (a recording one in tests).
    explicit TFrmVoice(std::unique_ptr<MciPort> port);
    ~TFrmVoice() override;

    // The window of a control by its designed name ("BtnFormList", "ChBx3", "Panel1"...);
    // nullptr for an unknown name. For tests and diagnostics.
    HWND ControlHandle(std::wstring_view name) const;
    // Every designed name, in creation order.
    std::vector<std::wstring> ControlNames() const;

    // --- Controls, in creation order (indentation: parent) -------------------------
    gui::GroupBox GroupBox1;
    gui::Panel Panel1;
    gui::GroupBox GroupBox2;
    gui::Panel Panel2;
    gui::Panel Panel3;
    gui::ListBox LBListFiles;
    TMediaPlayer MediaPlayer1;
    gui::Panel Panel4;
    gui::TrackBar TrackBar1;
    gui::StaticText StFileName;
    gui::BitBtn BitBtnStart;
    gui::GroupBox GroupBox3;
    gui::GroupBox GrBxChannals;
    gui::Button BtnCaseAll;
    gui::Button BtnCleareAll;
    gui::CheckBox ChBx1, ChBx2, ChBx3, ChBx4, ChBx5, ChBx6, ChBx7, ChBx8;
    gui::GroupBox GroupBox4;
    gui::GroupBox GroupBox5;
    gui::Label Label1;
    gui::Label Label2;
    gui::DatePicker DTPicker0;
    gui::MaskEdit MEDTime0;
    gui::UpDown UdIncTime0;
    gui::Button BtnOnOff0;
    gui::GroupBox GroupBox6;
    gui::Label Label3;
    gui::Label Label4;
    gui::DatePicker DTPicker1;
    gui::MaskEdit MEDTime1;
    gui::UpDown UdIncTime1;
    gui::Button BtnOnOff1;
    gui::Button BtnFormList;
    gui::Button BtnClearList;
    gui::GroupBox GroupBox7;
    gui::Panel Panel5;
    gui::RadioGroup RgDirChan;
    gui::DriveComboBox DriveComboBox1;
    gui::DirectoryListBox DirectoryListBox1;
    gui::BitBtn BitBtn1;
    gui::RadioGroup RGSort;
    gui::Panel Panel6;
    gui::CheckBox ChBxAutoStart;
    gui::Timer Timer1;

    // --- State ----------------------------------------------------------------------
    std::wstring StartDir;                    // current directory at creation; never changes
    ::voice::ChannelDirTable ChannelDirTable; // base directory of each channel (BegDir.Ini)
    TSortStr LineList;                        // ListLines of the last search, sorted
    ::voice::DayDirList DayDirList;           // scratch of one search; empty between searches
    FileHandleField RecordingHandle;          // the conversion's two files
    FileHandleField PlaybackHandle;
    std::int32_t CurrentIndex = -1; // list index of the loaded line, -1 none
    bool PlayPending = false;       // the next tick presses Play
    bool SequenceActive = false;    // a playback sequence is running

    // --- Start-up and shutdown (frm_voice.cpp) --------------------------------------
    void FormCreate();
    void FormClose(gui::CloseAction& action);

    // --- Channels and the list (frm_voice.cpp) ---------------------------------------
    void CheckAllChannels(bool checked);
    void BtnCaseAllClick();
    void BtnCleareAllClick();
    void BtnFormListClick();
    void BtnClearListClick();

    // --- Playback sequencing (frm_voice_playback.cpp) --------------------------------
    void StartPlayback();
    void ShowPlayPosition(std::int32_t position, std::int32_t length);
    // Paused or stopped the tick leaves the bar alone: a move made then is shown at once.
    void ShowHeldPosition();
    void Timer1Timer();
    void TrackBar1Change();
    void MediaPlayer1Notify();
    void MediaPlayer1Click(TMPBtnType button, bool& doDefault);
    void MediaPlayer1PostClick(TMPBtnType button);
    void LBListFilesClick();
    void LBListFilesDblClick();
    void BitBtnStartClick();
    // Writes PlaybackFile from the recording of line index and opens it in the player.
    void ConvertToPlaybackFile(int index);

    // --- Time-of-day fields (frm_voice_time.cpp) -------------------------------------
    void TimeOnOff(gui::MaskEdit& field, gui::UpDown& arrows, gui::Button& button);
    void BtnOnOff0Click();
    void BtnOnOff1Click();
    void UdIncTime0Click(gui::UpDownButton direction);
    void UdIncTime1Click(gui::UpDownButton direction);

    // --- Channel path chooser (frm_voice_chooser.cpp) --------------------------------
    void RgDirChanClick();
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void BitBtn1Click();

    // --- The list's commands (frm_voice_list.cpp) -------------------------------------
    void LBListFilesContextMenu(POINT screen);
    // The list's commands, each grey where it cannot run now, and the "Воспроизведение"
    // submenu: the list's context menu and the timeline's.
    void AppendListMenu(gui::PopupMenu& menu);
    // A menu item or a shortcut; does nothing when the command cannot run now.
    void RunListCommand(UINT command);
    bool ListCommandAvailable(UINT command) const;

    // --- Export commands of the list (frm_voice_export.cpp) ---------------------------
    // Where the commands ask for a folder or a file name: the system's dialogs (a test
    // answers in their place).
    std::function<std::optional<std::filesystem::path>(HWND owner)> ChooseExportFolder;
    std::function<std::optional<std::filesystem::path>(HWND owner, const gui::SaveFileRequest&)>
        ChooseSaveFile;
    gui::BackgroundWork ExportWork; // the command in progress, on its worker thread

    void ExportSelectedClick();
    void MergeSelectedClick();
    void SaveListClick();
    void CopySelectedClick();
    // "Сохранить как было…": the selection's incident mix written to a file with its index.
    void SaveIncidentClick();

    // --- Listening aids and player keys (frm_voice_review.cpp) -------------------------
    // What the player holds of the recording loaded, and the listening aids' choices.
    const ReviewedPlayback& Review() const noexcept { return review_; }
    // After FormCreate: the remembered choices and the caption, the player's keys and the
    // media keys.
    void SetUpReview();
    void ShowReviewCaption();
    // The list's context menu gains the "Воспроизведение" submenu.
    void AppendPlaybackMenu(gui::PopupMenu& menu);
    // A submenu item, a player key or a media key; false for a command of someone else.
    bool RunReviewCommand(UINT command);
    // Remembers the choices and, with a recording loaded, continues it from the same moment.
    void ChangeReviewOptions(const review::ReviewOptions& options);
    // ConvertToPlaybackFile's file step: the designed file, then processed when a choice
    // differs from the default; at another speed alone, stretched as it is converted.
    bool WriteReviewedPlaybackFile(int index);
    enum class StretchedWrite { Failed, Done, Designed };
    StretchedWrite WriteStretchedWhileConverted(const std::wstring& line);

    // --- The timeline window (frm_voice_timeline.cpp) ----------------------------------
    // "Временная шкала…" and Ctrl+T: opens it, or brings it to the front.
    void TimelineClick();
    // The list was built anew or cleared; its selection changed; a position tick or the
    // end of a recording (which may make it heard).
    void TimelineListChanged();
    void TimelineSelectionChanged();
    void TimelinePlaybackTick();
    // The window, whether open or not (for tests).
    timeline::TimelineWindow& TimelineView();

    // --- The selection as it happened (frm_voice_incident.cpp) -------------------------
    // The incident the player holds, if any.
    const IncidentPlayer& Incident() const noexcept { return incident_; }
    // "Воспроизвести как было" and Ctrl+Enter: the selection mixed into the playback file,
    // played by the player; after a Shift+drag span in the timeline, that span alone.
    void PlayIncidentClick();
    // The remembered options, and the timeline's span while it made the selection.
    incident::IncidentOptions IncidentChoices();
    void AppendIncidentOptions(gui::PopupMenu& playback) const;
    // An option's menu item; false for a command of someone else.
    bool RunIncidentOption(UINT command);
    // A lane muted or soloed in the timeline: the part playing is mixed again from the
    // moment heard.
    void IncidentLanesChanged();

protected:
    // The timer ticks from the window's creation until its destruction.
    void OnDestroying() override { Timer1.Stop(); }

private:
    friend class TimelineLink; // the timeline's host: the window's own side of it

    // The program's own per-user settings (window places, zoom, playback options); every
    // feature reads and changes this one copy and saves it, so none undoes another's.
    UserSettingsFile OwnSettings;
    ReviewedPlayback review_;

    // Builds the control tree (frm_voice_layout.cpp).
    void CreateControls();
    // Connects the controls' events to the handlers (frm_voice_layout.cpp).
    void BindEvents();
    // Positions, sizes and fonts for a density (creation and moves between screens).
    void ApplyLayout(UINT dpi);
    // What the search reads from the window.
    SearchCriteria GatherSearchCriteria() const;
    // The export commands' dialogs, and the list's commands that reach them.
    void SetUpExportCommands();
    // The list's shortcuts, its context menu and where its commands go.
    void SetUpListCommands();
    ListState ListNow() const;
    std::vector<std::wstring> SelectedLines() const;
    std::vector<std::wstring> AllLines() const;
    // The channels' base directories, which no command writes below.
    exporting::Archive ArchiveBases(const std::vector<std::wstring>& lines) const;
    // Stops playback, locks the list, "Start" and the player, and runs work on the
    // worker thread; succeeded runs after it, a refusal or an error is shown instead.
    void RunExportWork(const wchar_t* caption, std::function<void(gui::WorkProgress&)> work,
                       std::function<void()> succeeded);

    // Listening aids (frm_voice_review.cpp).
    // From a moment of the source on: a part of it while playing, otherwise the rest.
    bool WriteReviewedSamples(double fromSourceSeconds, bool part);
    double PlayedSourceSeconds();
    void ReloadAt(double sourceSeconds, bool play);
    bool OpenPlaybackFile();
    void SeekQuietly(std::int32_t position);
    void PressPlayerButton(TMPBtnType button);
    void PlayPauseKey();
    void SkipKey(double seconds);
    // Paused or stopped: to a moment of the recording, written again when outside the part
    // the file holds.
    void SeekRecording(double sourceSeconds);
    void GoToRecording(int direction);

    std::map<std::wstring, HWND, std::less<>> controlsByName_;
    std::vector<std::wstring> creationOrder_;
    std::vector<FontHandle> fonts_;
    std::unique_ptr<TimelineLink, TimelineLinkDeleter> timeline_;

    // The selection as it happened (frm_voice_incident.cpp).
    IncidentPlayer incident_;
    // The mix from the incident's second from on into the playback file: a part, the next
    // one following at its end as the listening aids' parts do.
    bool WriteIncidentPart(double from);
    // The list line heard at the player's position and how far into its recording; -1 none.
    std::pair<std::int32_t, double> IncidentSounding();
    // A tick while an incident plays: the name field follows the mix.
    void IncidentTick();
    // What the mix lets be heard and how: the timeline's muted and soloed lanes and the
    // listening aids.
    incident::StreamChoices IncidentHearing();
};

} // namespace voice
