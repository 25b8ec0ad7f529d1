// The selection played as it happened: each recording at its true start, overlaps mixed,
// long silences shortened and the channels spread across the stereo field, as the saved
// incident file. The mix goes into the playback file and plays through the same player,
// so its keys, its bar and the timeline's playhead act on the incident's time.

#include "catalogue/local_time.h"
#include "conversion/playback_paths.h"
#include "conversion/reviewed_playback_file.h"
#include "gui/message_box.h"
#include "gui/popup_menu.h"
#include "timeline/timeline_window.h"
#include "voice/frm_voice.h"

#include <cmath>

namespace voice {
namespace {

constexpr std::string_view kSkipSilenceSetting = "incident.skipSilence";
constexpr std::string_view kSpreadSetting = "incident.spreadChannels";

} // namespace

incident::IncidentOptions TFrmVoice::IncidentChoices() {
    const UserSettings& settings = OwnSettings.Values();
    incident::IncidentOptions options;
    options.gapSeconds =
        settings.GetBool(kSkipSilenceSetting, true) ? incident::kDefaultGapSeconds : 0.0;
    options.layout =
        settings.GetBool(kSpreadSetting, true) ? incident::Layout::Stereo : incident::Layout::Mono;
    if (timeline_ && TimelineView().IsOpen())
        if (const auto span = TimelineView().SelectedSpan()) {
            options.from = PartsOf(static_cast<std::int64_t>(std::floor(span->first)));
            options.to = PartsOf(static_cast<std::int64_t>(std::ceil(span->second)));
        }
    return options;
}

void TFrmVoice::AppendIncidentOptions(gui::PopupMenu& playback) const {
    const UserSettings& settings = OwnSettings.Values();
    playback.AddSeparator();
    playback.AddCheckItem(kIncidentSkipSilenceCommand, L"Пропускать тишину между записями", L"",
                          settings.GetBool(kSkipSilenceSetting, true), false);
    playback.AddCheckItem(kIncidentSpreadCommand, L"Разносить каналы", L"",
                          settings.GetBool(kSpreadSetting, true), false);
}

bool TFrmVoice::RunIncidentOption(UINT command) {
    std::string_view key;
    if (command == kIncidentSkipSilenceCommand)
        key = kSkipSilenceSetting;
    else if (command == kIncidentSpreadCommand)
        key = kSpreadSetting;
    else
        return false;
    // The next play or save mixes with it; the one playing stays as it was mixed.
    UserSettings& settings = OwnSettings.Values();
    settings.SetBool(key, !settings.GetBool(key, true));
    OwnSettings.Save();
    return true;
}

void TFrmVoice::PlayIncidentClick() {
    const std::vector<int> selected = LBListFiles.SelectedIndices();
    std::vector<std::int32_t> listLines(selected.begin(), selected.end());
    if (listLines.empty())
        return;
    std::vector<std::wstring> lines;
    for (const std::int32_t i : listLines)
        lines.push_back(LBListFiles.Line(i));
    const incident::IncidentOptions options = IncidentChoices();

    // The player lets the file go before it is written again, quietly: its end must not
    // look like the end of a recording. A playing device is paused first, which closes at
    // once where a playing one takes the wave driver almost a second.
    MediaPlayer1.SetNotify(false);
    if (MediaPlayer1.DeviceOpen() && MediaPlayer1.Mode() == msPlaying)
        MediaPlayer1.PauseDevice();
    MediaPlayer1.Close();
    SequenceActive = false;
    PlayPending = false;
    CurrentIndex = -1;
    review_.source.Reset();
    review_.analysis.reset();

    if (!incident_.Start(std::move(listLines), lines, options)) {
        gui::ShowMessageBox(Handle(),
                            options.from ? L"В заданном промежутке нет ни одной записи."
                                         : L"Ни одну из выбранных записей не удалось прочитать.",
                            L"Предупреждение", MB_OK | MB_ICONWARNING);
        return;
    }
    if (!WriteIncidentPart(0.0) || !OpenPlaybackFile()) {
        incident_.End();
        gui::ShowMessageBox(Handle(), L"Не удалось записать файл воспроизведения.",
                            L"Предупреждение", MB_OK | MB_ICONWARNING);
        return;
    }
    IncidentTick();
    SequenceActive = true; // the tick presses Play, as for "Start"
    PlayPending = true;
}

incident::StreamChoices TFrmVoice::IncidentHearing() {
    incident::StreamChoices choices;
    choices.aids = review_.options;
    if (timeline_)
        for (const int channel : incident_.Channels())
            choices.lanesHeard.push_back(TimelineView().Sound().Sounds(channel));
    return choices;
}

bool TFrmVoice::WriteIncidentPart(double from) {
    std::optional<IncidentPlayer::Part> part =
        incident_.WritePart(from, IncidentHearing(), PlaybackFilePath(StartDir));
    if (!part)
        return false;
    review_.LoadPart(std::move(part->clock), part->from, part->next);
    return true;
}

void TFrmVoice::IncidentLanesChanged() {
    if (!incident_.Active() || ExportWork.Running() || !MediaPlayer1.DeviceOpen())
        return;
    ReloadAt(PlayedSourceSeconds(), MediaPlayer1.Mode() == msPlaying);
}

std::pair<std::int32_t, double> TFrmVoice::IncidentSounding() {
    if (!incident_.Active() || !MediaPlayer1.DeviceOpen())
        return {-1, 0.0};
    return incident_.Sounding(review_.RecordingAt(MediaPlayer1.Position()));
}

void TFrmVoice::IncidentTick() {
    if (!MediaPlayer1.DeviceOpen())
        return;
    if (const auto line = incident_.NewlyNamed(review_.RecordingAt(MediaPlayer1.Position())))
        StFileName.SetText(LBListFiles.Line(*line).substr(0, kShownColumns));
}

} // namespace voice
