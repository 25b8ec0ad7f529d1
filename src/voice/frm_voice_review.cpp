// Listening aids and player keys: the speed, shorter pauses and even loudness chosen in
// the list's "Воспроизведение" submenu, remembered in the program's own settings and
// named in the caption; the playback file processed accordingly; a change while a
// recording plays continuing from the same moment; and the player's keys, media keys
// included, anywhere in the window.
//
// At normal speed with both options off nothing here acts: the playback file, the
// caption and every designed event stay as they are.

#include "conversion/playback_file_writer.h"
#include "conversion/playback_source.h"
#include "conversion/reviewed_playback_file.h"
#include "conversion/stretched_playback.h"
#include "conversion/wav/wav_header.h"
#include "gui/popup_menu.h"
#include "playback/bar_layout.h"
#include "voice/frm_voice.h"
#include "voice/review_choices.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>

namespace voice {
namespace {

enum ReviewCommandId : UINT {
    kPlayPauseCommand = 0x7E40,
    kStopCommand,
    kBackCommand,
    kForwardCommand,
    kPreviousCommand,
    kNextCommand,
    kSlowerCommand,
    kFasterCommand,
    kNormalSpeedCommand,
    kShortenPausesCommand,
    kEvenLoudnessCommand,
    kFirstSpeedCommand = 0x7E60, // one per offered speed, slowest first
};

constexpr double kSkipSeconds = 5.0;
// A part written while playing: about this much of the source, ending in its quietest
// moment of the last kPartSearchSeconds, where the handover to the next part is not heard.
constexpr double kPartSeconds = 300.0;
constexpr double kPartSearchSeconds = 60.0;
constexpr double kQuietWindowSeconds = 0.1;
// At most this much of a designed playback file is kept in memory while the recording is
// stretched as it is converted: about nine hours at the recorder's rate. A longer one is
// converted again and processed as the options are.
constexpr std::size_t kStretchedWhileConvertedAtMost = std::size_t{256} << 20;

constexpr gui::Shortcut Key(UINT key, bool ctrl, UINT command,
                            gui::ShortcutScope scope = gui::ShortcutScope::Anywhere,
                            bool shift = false) {
    return {key, ctrl, shift, command, scope};
}
constexpr auto kOutsideText = gui::ShortcutScope::OutsideTextFields;

// Every key is free in the designed window: the list, the buttons, the pickers, the bar and
// the dialog manager use none of them, and Ctrl+E/M/S/C/T belong to the list's commands.
// Letters rather than punctuation where we can: their keys stay where they are under the
// Russian layout.
// clang-format off
constexpr gui::Shortcut kPlayerKeys[] = {
    //  key                  Ctrl   command               where          Shift
    Key('P',                 true,  kPlayPauseCommand),
    Key('Q',                 true,  kStopCommand),
    // A text field moves by words with Ctrl+arrows.
    Key(VK_LEFT,             true,  kBackCommand,        kOutsideText),
    Key(VK_RIGHT,            true,  kForwardCommand,     kOutsideText),
    Key(VK_PRIOR,            true,  kPreviousCommand),
    Key(VK_NEXT,             true,  kNextCommand),
    Key(VK_OEM_MINUS,        true,  kSlowerCommand),
    Key(VK_SUBTRACT,         true,  kSlowerCommand),
    Key(VK_OEM_PLUS,         true,  kFasterCommand),
    Key(VK_OEM_PLUS,         true,  kFasterCommand,      kOutsideText,  true), // Ctrl++
    Key(VK_ADD,              true,  kFasterCommand),
    Key('0',                 true,  kNormalSpeedCommand),
    Key(VK_NUMPAD0,          true,  kNormalSpeedCommand),
};

// The media keys, only as the system reports them: one press arrives both as the key and
// as WM_APPCOMMAND (Windows makes it from the unhandled key, Wine sends it anyway), so
// taking the key as well would act twice.
constexpr struct { int appCommand; UINT command; } kAppCommands[] = {
    {APPCOMMAND_MEDIA_PLAY_PAUSE,    kPlayPauseCommand},
    {APPCOMMAND_MEDIA_STOP,          kStopCommand},
    {APPCOMMAND_MEDIA_PREVIOUSTRACK, kPreviousCommand},
    {APPCOMMAND_MEDIA_NEXTTRACK,     kNextCommand},
};
// clang-format on

const gui::Shortcut& KeyOf(UINT command) {
    for (const gui::Shortcut& key : kPlayerKeys)
        if (key.command == command)
            return key;
    return kPlayerKeys[0];
}

// Where a part that starts at the beginning of `ahead` ends, in seconds from there: 0 when
// ahead holds the rest of the recording and it is short enough to write whole, otherwise
// the middle of the quietest short window before the part's length is reached.
double PartLength(std::span<const float> ahead, int rate) {
    if (static_cast<double>(ahead.size()) <= (kPartSeconds + kPartSearchSeconds) * rate)
        return 0;
    const auto window = static_cast<std::size_t>(kQuietWindowSeconds * rate);
    const auto first = static_cast<std::size_t>((kPartSeconds - kPartSearchSeconds) * rate);
    const auto last = static_cast<std::size_t>(kPartSeconds * rate);
    std::size_t best = last;
    double bestEnergy = INFINITY;
    for (std::size_t at = first; at + window <= last; at += window) {
        double energy = 0;
        for (std::size_t i = at; i < at + window; ++i)
            energy += std::abs(ahead[i]);
        if (energy < bestEnergy) {
            bestEnergy = energy;
            best = at + window / 2;
        }
    }
    return static_cast<double>(best) / rate;
}

} // namespace

void TFrmVoice::SetUpReview() {
    review_.options = LoadReviewOptions(OwnSettings.Values());
    wchar_t caption[256]{};
    ::GetWindowTextW(Handle(), caption, 256);
    review_.baseCaption = caption;
    ShowReviewCaption();

    std::vector<gui::Shortcut> shortcuts = Shortcuts();
    shortcuts.insert(shortcuts.end(), std::begin(kPlayerKeys), std::end(kPlayerKeys));
    SetShortcuts(std::move(shortcuts));
    OnCommand = [this, others = std::move(OnCommand)](UINT command) {
        if (!RunReviewCommand(command) && others)
            others(command);
    };
    OnAppCommand = [this](int appCommand) {
        for (const auto& row : kAppCommands)
            if (row.appCommand == appCommand)
                return RunReviewCommand(row.command);
        return false;
    };
    // Both only add to the designed handlers, and only after a command of ours.
    MediaPlayer1.OnNotify = [this, designed = std::move(MediaPlayer1.OnNotify)] {
        const TMPNotifyResult result = MediaPlayer1.LastNotifyResult();
        const bool atEnd = result == nrSuccessful && SequenceActive && !PlayPending &&
                           MediaPlayer1.DeviceOpen() && MediaPlayer1.Mode() == msStopped &&
                           MediaPlayer1.Position() == MediaPlayer1.Length();
        switch (review_.OnNotify(result == nrAborted || result == nrSuperseded, atEnd)) {
        case ReviewedPlayback::Notified::Stale:
            MediaPlayer1.SetNotify(true);
            return;
        case ReviewedPlayback::Notified::NextPart:
            // The end of a part is not the end of the recording: the next part plays on.
            ReloadAt(*review_.NextPart(), true);
            MediaPlayer1.SetNotify(true);
            return;
        case ReviewedPlayback::Notified::Designed:
            designed();
            return;
        }
    };
    MediaPlayer1.OnClick = [this, designed = std::move(MediaPlayer1.OnClick)](TMPBtnType button,
                                                                              bool& doDefault) {
        review_.UserActed();
        designed(button, doDefault);
    };
}

void TFrmVoice::ShowReviewCaption() {
    ::SetWindowTextW(Handle(), ReviewCaption(review_.baseCaption, review_.options).c_str());
}

void TFrmVoice::AppendPlaybackMenu(gui::PopupMenu& menu) {
    gui::PopupMenu playback;
    const auto speeds = review::OfferedSpeeds();
    for (std::size_t i = 0; i < speeds.size(); ++i)
        playback.AddCheckItem(kFirstSpeedCommand + static_cast<UINT>(i), SpeedText(speeds[i]), L"",
                              review_.options.speed == speeds[i], true);
    playback.AddSeparator();
    playback.AddItem(kSlowerCommand, L"Медленнее", gui::ShortcutText(KeyOf(kSlowerCommand)), true);
    playback.AddItem(kFasterCommand, L"Быстрее", gui::ShortcutText(KeyOf(kFasterCommand)), true);
    playback.AddItem(kNormalSpeedCommand, L"Обычная скорость",
                     gui::ShortcutText(KeyOf(kNormalSpeedCommand)), true);
    playback.AddSeparator();
    playback.AddCheckItem(kShortenPausesCommand, L"Сокращать паузы", L"",
                          review_.options.shortenPauses, false);
    playback.AddCheckItem(kEvenLoudnessCommand, L"Выравнивать громкость", L"",
                          review_.options.evenLoudness, false);
    AppendIncidentOptions(playback);
    menu.AddSeparator();
    menu.AddSubmenu(L"Воспроизведение", std::move(playback));
}

bool TFrmVoice::RunReviewCommand(UINT command) {
    if (RunIncidentOption(command))
        return true;
    review::ReviewOptions options = review_.options;
    const auto speeds = review::OfferedSpeeds();
    if (command >= kFirstSpeedCommand && command < kFirstSpeedCommand + speeds.size()) {
        options.speed = speeds[command - kFirstSpeedCommand];
        ChangeReviewOptions(options);
        return true;
    }
    switch (command) {
    case kPlayPauseCommand:
        PlayPauseKey();
        return true;
    case kStopCommand:
        PressPlayerButton(btStop);
        return true;
    case kBackCommand:
        SkipKey(-kSkipSeconds);
        return true;
    case kForwardCommand:
        SkipKey(kSkipSeconds);
        return true;
    case kPreviousCommand:
        GoToRecording(-1);
        return true;
    case kNextCommand:
        GoToRecording(1);
        return true;
    case kSlowerCommand:
    case kFasterCommand:
        options.speed = StepSpeed(options.speed, command == kFasterCommand ? 1 : -1);
        break;
    case kNormalSpeedCommand:
        options.speed = 1.0;
        break;
    case kShortenPausesCommand:
        options.shortenPauses = !options.shortenPauses;
        break;
    case kEvenLoudnessCommand:
        options.evenLoudness = !options.evenLoudness;
        break;
    default:
        return false;
    }
    ChangeReviewOptions(options);
    return true;
}

void TFrmVoice::ChangeReviewOptions(const review::ReviewOptions& options) {
    if (options == review_.options)
        return;
    review_.options = options;
    StoreReviewOptions(OwnSettings.Values(), options);
    OwnSettings.Save();
    ShowReviewCaption();
    // Nothing loaded: the next recording is written with the new choices.
    // An incident plays on with them from the moment heard.
    if (ExportWork.Running() || !MediaPlayer1.DeviceOpen() ||
        (CurrentIndex < 0 && !incident_.Active()))
        return;
    const bool playing = MediaPlayer1.Mode() == msPlaying;
    ReloadAt(PlayedSourceSeconds(), playing);
}

bool TFrmVoice::WriteReviewedPlaybackFile(int index) {
    review_.source.Reset();
    review_.analysis.reset();
    review_.LoadDesigned();
    const std::wstring line = LBListFiles.Line(index);
    const bool speedAlone = !review_.options.shortenPauses && !review_.options.evenLoudness;
    if (review_.options.IsDefault() || !speedAlone) {
        if (!WritePlaybackFile(line, StartDir, RecordingHandle, PlaybackHandle))
            return false;
        if (review_.options.IsDefault())
            return true;
    } else {
        switch (WriteStretchedWhileConverted(line)) {
        case StretchedWrite::Failed:
            return false;
        case StretchedWrite::Done:
            return true;
        case StretchedWrite::Designed:
            break;
        }
    }
    // Nothing we can process (an undecodable recording's empty file, a compressed WAV):
    // it plays as it stands.
    if (!review_.source.Take(PlaybackFilePath(StartDir)))
        return true;
    return WriteReviewedSamples(0.0, false);
}

// The speed alone: the recording is read and decoded once and stretched as it is
// converted. Later changes take their samples from the recording itself where it holds
// them as they stand, else from the designed file kept in memory.
TFrmVoice::StretchedWrite TFrmVoice::WriteStretchedWhileConverted(const std::wstring& line) {
    const double speed = review_.options.speed;
    StretchedConversion result;
    const auto convert = [&](RecordingReader& recording, ConvertedWriter& file) {
        result = ConvertStretched(recording, file, speed, kStretchedWhileConvertedAtMost);
    };
    if (!WritePlaybackFile(line, StartDir, RecordingHandle, PlaybackHandle, convert))
        return StretchedWrite::Failed;
    if (result.stretched && (result.designed ? review_.source.Take(std::move(*result.designed))
                                             : review_.source.TakeRecording(
                                                   std::wstring(ListLinePath(line)),
                                                   result.kind == RecordingKind::HeaderlessPcm))) {
        review_.LoadWhole(
            review::PlaybackClock(review::SpeedTimeline(result.samples, kPlaybackSampleRate, speed),
                                  0.0, static_cast<double>(result.samples) / kPlaybackSampleRate));
        return StretchedWrite::Done;
    }
    // Stretched, but not from what the player would play, or without its source:
    // the designed file once more, processed the usual way.
    if (!result.passedThrough &&
        !WritePlaybackFile(line, StartDir, RecordingHandle, PlaybackHandle))
        return StretchedWrite::Failed;
    return StretchedWrite::Designed;
}

bool TFrmVoice::WriteReviewedSamples(double fromSourceSeconds, bool part) {
    review_.LoadDesigned();
    if (!review_.source.SetAside(PlaybackSourcePath()))
        return false;
    const int rate = review_.source.SampleRate();
    // A second more than a whole part, so a rest that fits in one is told from one that
    // does not.
    const double ahead = part ? kPartSeconds + kPartSearchSeconds + 1.0 : INFINITY;
    std::vector<float> samples = review_.source.Read(fromSourceSeconds, ahead);
    const double partLength = part ? PartLength(samples, rate) : 0;
    if (partLength > 0)
        samples.resize(static_cast<std::size_t>(std::lround(partLength * rate)));
    // The level and the pauses are judged on the whole recording, once; the speed alone
    // needs only what it plays.
    const bool judged = review_.options.evenLoudness || review_.options.shortenPauses;
    if (judged && !review_.analysis) {
        if (std::lround(fromSourceSeconds * rate) == 0 && partLength == 0) {
            review_.analysis = review::AnalyseRecording(samples, rate); // what was read is all
        } else {
            const std::vector<float> all = review_.source.Read(0.0, INFINITY);
            review_.analysis = review::AnalyseRecording(all, rate);
        }
    }
    review::ProcessedRecording processed =
        judged ? review::ProcessFrom(samples, rate, review_.options, fromSourceSeconds,
                                     *review_.analysis)
               : review::ProcessFrom(samples, rate, review_.options, 0.0);
    // The kept analysis counts the timeline's source seconds from the recording's start.
    const double start = judged ? 0.0 : fromSourceSeconds;
    samples = {}; // the source's copy goes before the file is written
    // A part wholly inside a cut pause holds nothing: the next part plays instead, and
    // the rest of a recording that is all pause plays as a moment of silence (the player
    // cannot open an empty file), so the sequence goes on as at its end.
    if (processed.samples.empty()) {
        if (partLength > 0)
            return WriteReviewedSamples(fromSourceSeconds + partLength, part);
        processed.samples.assign(static_cast<std::size_t>(rate / 20), 0.0f);
    }
    if (!WriteMono16PlaybackFile(PlaybackFilePath(StartDir), rate, processed.samples))
        return false;
    review::PlaybackClock clock(std::move(processed.timeline), start, review_.source.Seconds());
    if (part)
        review_.LoadPart(std::move(clock), fromSourceSeconds,
                         partLength > 0 ? std::optional(fromSourceSeconds + partLength)
                                        : std::nullopt);
    else
        review_.LoadWhole(std::move(clock));
    return true;
}

double TFrmVoice::PlayedSourceSeconds() {
    return review_.RecordingAt(MediaPlayer1.Position());
}

void TFrmVoice::ReloadAt(double sourceSeconds, bool play) {
    const bool sequence = SequenceActive;
    const bool pending = PlayPending;
    // Nothing we can process: it plays on as it is.
    if (!incident_.Active() && !review_.source.Held()) {
        review_.analysis.reset();
        if (!review_.source.Take(PlaybackFilePath(StartDir)))
            return;
    }
    review_.InterruptingPlay();
    if (play) {
        // A playing device takes the wave driver almost a second to close; a paused one
        // closes at once. Quietly: the pause must not look like the end of the recording.
        MediaPlayer1.SetNotify(false);
        MediaPlayer1.PauseDevice();
    }
    MediaPlayer1.Close();
    // Playing, only a part from the moment on is processed, so the new speed sounds at
    // once; stopped or paused, the whole recording, so the bar still reaches back to its
    // start.
    // An incident is written from the moment on whether playing or not: it can be long.
    const bool written = incident_.Active()
                             ? WriteIncidentPart(sourceSeconds)
                             : WriteReviewedSamples(play ? sourceSeconds : 0.0, play);
    if (!written || !OpenPlaybackFile()) {
        SequenceActive = false;
        return;
    }
    SequenceActive = sequence;
    PlayPending = pending;
    if (play) {
        PressPlayerButton(btPlay);
        MediaPlayer1.SetNotify(true);
    } else {
        if (sourceSeconds > 0)
            SeekQuietly(review_.PositionOf(sourceSeconds));
        ShowHeldPosition();
    }
}

bool TFrmVoice::OpenPlaybackFile() {
    try {
        MediaPlayer1.SetFileName(PlaybackFilePath(StartDir));
        MediaPlayer1.Open();
        return true;
    } catch (...) {
        return false; // quietly, as a failed load in the sequence
    }
}

void TFrmVoice::SeekQuietly(std::int32_t position) {
    // Our seek reports nothing: its notification could look like a finished recording.
    const bool armed = MediaPlayer1.NotifyArmed();
    MediaPlayer1.SetNotify(false);
    MediaPlayer1.SetPosition(position);
    MediaPlayer1.SetNotify(armed);
}

void TFrmVoice::PressPlayerButton(TMPBtnType button) {
    // As the user's click: only an enabled button acts, and the designed click handlers run.
    if (ExportWork.Running() || !MediaPlayer1.DeviceOpen())
        return;
    const int width = MediaPlayer1.ButtonWidth();
    const LPARAM point =
        MAKELPARAM(ButtonLeft(button, MediaPlayer1.VisibleButtons(), width) + width / 2, 7);
    MediaPlayer1.HandleLButtonDown(MK_LBUTTON, point);
    MediaPlayer1.HandleLButtonUp(MK_LBUTTON, point);
}

void TFrmVoice::PlayPauseKey() {
    if (ExportWork.Running())
        return;
    if (!MediaPlayer1.DeviceOpen()) {
        StartPlayback(); // as "Start": the first selected line, or the designed warning
        return;
    }
    switch (MediaPlayer1.Mode()) {
    case msPlaying:
    case msPaused: // the Pause button resumes a paused recording
        PressPlayerButton(btPause);
        break;
    default:
        PressPlayerButton(btPlay);
        break;
    }
}

void TFrmVoice::SkipKey(double seconds) {
    if (ExportWork.Running() || !MediaPlayer1.DeviceOpen())
        return;
    const TMPState mode = MediaPlayer1.Mode();
    const bool playing = mode == msPlaying;
    const double target = std::max(0.0, PlayedSourceSeconds() + seconds);
    // Outside the part the file holds: written again from there.
    if (!review_.Holds(target)) {
        ReloadAt(target, playing);
        return;
    }
    const std::int32_t length = MediaPlayer1.Length();
    const std::int32_t position = review_.PositionOf(target);
    if (position >= length && !incident_.Active()) {
        GoToRecording(1); // past the end: the next recording, as the end of this one would
        return;
    }
    if (playing)
        review_.InterruptingPlay();
    SeekQuietly(std::min(position, length)); // an incident stops at its end
    if (playing) {
        MediaPlayer1.Play();
        MediaPlayer1.SetNotify(true);
    } else {
        ShowHeldPosition();
    }
}

void TFrmVoice::SeekRecording(double sourceSeconds) {
    if (!review_.Holds(sourceSeconds)) {
        ReloadAt(sourceSeconds, false);
        return;
    }
    MediaPlayer1.SetPosition(review_.PositionOf(sourceSeconds));
}

void TFrmVoice::GoToRecording(int direction) {
    if (ExportWork.Running())
        return;
    const int count = LBListFiles.Count();
    if (!MediaPlayer1.DeviceOpen() || CurrentIndex < 0 || CurrentIndex >= count) {
        if (direction > 0)
            StartPlayback();
        return;
    }
    // The sequence's rule: selected lines only, in list order.
    int next = CurrentIndex + direction;
    while (next >= 0 && next < count && !LBListFiles.Selected(next))
        next += direction;
    if (next < 0 || next >= count) {
        ::MessageBeep(MB_OK);
        return;
    }
    const bool playing = MediaPlayer1.Mode() == msPlaying || PlayPending;
    CurrentIndex = next;
    StFileName.SetText(LBListFiles.Line(next).substr(0, kShownColumns));
    ConvertToPlaybackFile(next);
    // Playing goes on playing, as with "Автозапуск"; otherwise it waits for Play.
    PlayPending = playing;
    if (!playing)
        SequenceActive = false;
}

} // namespace voice
