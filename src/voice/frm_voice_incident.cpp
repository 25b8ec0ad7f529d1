// The selection played as it happened: each recording at its true start, overlaps mixed,
// long silences shortened and the channels spread across the stereo field, as the saved
// incident file. The mix goes into the playback file and plays through the same player,
// so its keys, its bar and the timeline's playhead act on the incident's time.

#include "catalogue/local_time.h"
#include "conversion/playback_paths.h"
#include "conversion/reviewed_playback_file.h"
#include "gui/message_box.h"
#include "gui/popup_menu.h"
#include "review/time_stretch.h"
#include "timeline/timeline_window.h"
#include "voice/frm_voice.h"

#include <algorithm>
#include <cmath>

namespace voice {
namespace {

constexpr std::string_view kSkipSilenceSetting = "incident.skipSilence";
constexpr std::string_view kSpreadSetting = "incident.spreadChannels";
constexpr double kGapSeconds = 2.0;
// A part of the mix: long enough that handovers are rare; the first after a start or a
// jump short, so that it sounds at once. Each ends at the quietest moment within the slack.
constexpr double kPartSeconds = 60.0;
constexpr double kFirstPartSeconds = 4.0;
constexpr double kPartSlackSeconds = 1.0;
constexpr double kFirstPartSlackSeconds = 0.5;
// A rest shorter than this is mixed in one part: a few milliseconds, and no handover heard.
constexpr double kWholeAtMost = 90.0;

} // namespace

incident::IncidentOptions TFrmVoice::IncidentChoices() {
    const UserSettings& settings = OwnSettings.Values();
    incident::IncidentOptions options;
    options.gapSeconds = settings.GetBool(kSkipSilenceSetting, true) ? kGapSeconds : 0.0;
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

void TFrmVoice::EndIncident() {
    Incident = {};
}

void TFrmVoice::PlayIncidentClick() {
    std::vector<std::int32_t> listLines;
    for (int i = 0; i < LBListFiles.Count(); ++i)
        if (LBListFiles.Selected(i))
            listLines.push_back(i);
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
    EndIncident();
    Review.source.Reset();
    Review.analysis.reset();

    auto mix = std::make_shared<incident::IncidentPlayback>(lines, options);
    if (mix->Empty()) {
        gui::ShowMessageBox(Handle(),
                            options.from ? L"В заданном промежутке нет ни одной записи."
                                         : L"Ни одну из выбранных записей не удалось прочитать.",
                            L"Предупреждение", MB_OK | MB_ICONWARNING);
        return;
    }
    Incident.active = true;
    Incident.listLines = std::move(listLines);
    Incident.mix = std::move(mix);
    if (!WriteIncidentPart(0.0) || !OpenPlaybackFile()) {
        EndIncident();
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
    choices.aids = Review.options;
    if (timeline_)
        for (const int channel : Incident.mix->Channels())
            choices.lanesHeard.push_back(TimelineView().Sound().Sounds(channel));
    return choices;
}

bool TFrmVoice::WriteIncidentPart(double from) {
    incident::IncidentPlayback& mix = *Incident.mix;
    const double whole = mix.Seconds();
    from = std::clamp(from, 0.0, std::max(0.0, whole - 0.1)); // never an empty file
    const incident::StreamChoices choices = IncidentHearing();
    const bool first = !mix.Continues(from, choices);
    const double rest = (whole - from) / review::UsableSpeed(choices.aids.speed);
    incident::StreamPart part =
        rest <= kWholeAtMost ? mix.Part(from, rest + kPartSlackSeconds, kPartSlackSeconds, choices)
        : first              ? mix.Part(from, kFirstPartSeconds, kFirstPartSlackSeconds, choices)
                             : mix.Part(from, kPartSeconds, kPartSlackSeconds, choices);
    if (part.pcm.empty()) { // the player cannot open an empty file: a moment of silence
        part.pcm.assign(static_cast<std::size_t>(mix.Rate() / 20 * mix.Outputs()), 0);
        part.clock = {{from, 0.0}, {from, 0.05}};
        part.from = part.to = from;
        part.last = true;
    }
    if (!WritePcm16PlaybackFile(PlaybackFilePath(StartDir), mix.Rate(), mix.Outputs(), part.pcm))
        return false;
    // The part's clock maps its seconds to the incident's; the bar spans the whole incident.
    review::PlaybackClock clock(review::ProcessedTimeline(std::move(part.clock)), 0.0,
                                std::max(mix.Seconds(), part.to));
    Review.LoadPart(std::move(clock), part.from,
                    part.last ? std::nullopt : std::optional(part.to));
    return true;
}

void TFrmVoice::IncidentLanesChanged() {
    if (!Incident.active || ExportWork.Running() || !MediaPlayer1.DeviceOpen())
        return;
    ReloadAt(PlayedSourceSeconds(), MediaPlayer1.Mode() == msPlaying);
}

std::pair<std::int32_t, double> TFrmVoice::IncidentSounding() {
    if (!Incident.active || !MediaPlayer1.DeviceOpen())
        return {-1, 0.0};
    const double at = Review.RecordingAt(MediaPlayer1.Position());
    const std::vector<incident::IncidentPiece>& pieces = Incident.mix->Pieces();
    // Between recordings the last one heard stays shown, as a recording stopped at its end.
    if (const auto piece = incident::SoundingAt(pieces, at))
        Incident.heard = piece;
    const incident::IncidentPiece& p = pieces[Incident.heard.value_or(0)];
    const double into = std::clamp(at - p.at, 0.0, p.seconds) + p.skipped;
    return {Incident.listLines[p.line], p.whole > 0 ? std::min(1.0, into / p.whole) : 0.0};
}

void TFrmVoice::IncidentTick() {
    const std::int32_t line = IncidentSounding().first;
    if (line >= 0 && line != Incident.named) {
        Incident.named = line;
        StFileName.SetText(LBListFiles.Line(line).substr(0, kShownColumns));
    }
}

} // namespace voice
