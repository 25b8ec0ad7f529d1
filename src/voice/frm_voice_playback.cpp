// Playback sequencing: the selected lines of LBListFiles play one after another. A
// sequence loads a line (ConvertToPlaybackFile), the next timer tick presses the
// player's Play button, and each completion notification that finds the recording
// finished loads the next selected line below the current one.

#include "conversion/playback_file_writer.h"
#include "gui/message_box.h"
#include "voice/frm_voice.h"

#include <algorithm>

namespace voice {
namespace {

// The client point of the simulated press: inside the first visible button, Play.
constexpr LPARAM kPlayPoint = MAKELPARAM(7, 7);

} // namespace

void TFrmVoice::BitBtnStartClick() {
    StartPlayback();
}

void TFrmVoice::LBListFilesDblClick() {
    StartPlayback();
}

void TFrmVoice::LBListFilesClick() {
    SequenceActive = false;
    MediaPlayer1.Close();
    incident_.End();
    TimelineSelectionChanged();
}

void TFrmVoice::StartPlayback() {
    CurrentIndex = -1;
    PlayPending = false;
    const int count = LBListFiles.Count();
    int first = 0;
    while (first < count && !LBListFiles.Selected(first))
        ++first;
    if (first == count) {
        gui::ShowMessageBox(Handle(), L"Для воспроизведения не выбран файл.", L"Предупреждение",
                            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CurrentIndex = first;
    // Shown before the conversion, which keeps the window busy.
    StFileName.SetText(LBListFiles.Line(first).substr(0, kShownColumns));
    ConvertToPlaybackFile(first);
    PlayPending = true; // also after a failed load: the tick then finds no device
}

void TFrmVoice::ConvertToPlaybackFile(int index) {
    SequenceActive = false;
    MediaPlayer1.Close();
    incident_.End(); // the designed sequence takes the player
    if (!WriteReviewedPlaybackFile(index))
        return;
    try {
        MediaPlayer1.SetFileName(PlaybackFilePath(StartDir));
        MediaPlayer1.Open();
        SequenceActive = true;
    } catch (...) {
        // A file the device cannot open (an empty one from an undecodable recording)
        // leaves the sequence idle without a message.
        CloseFileHandle(PlaybackHandle);
        CloseFileHandle(RecordingHandle);
    }
}

void TFrmVoice::Timer1Timer() {
    TimelinePlaybackTick();
    if (!SequenceActive || !MediaPlayer1.DeviceOpen())
        return;
    if (PlayPending) {
        // Handed to the player's own handlers, so the click and the Play action have run
        // before Notify is armed.
        MediaPlayer1.HandleLButtonDown(MK_LBUTTON, kPlayPoint);
        MediaPlayer1.HandleLButtonUp(MK_LBUTTON, kPlayPoint);
        MediaPlayer1.SetNotify(true);
        PlayPending = false;
    }
    const TMPState mode = MediaPlayer1.Mode();
    if (mode == msPlaying || mode == msOpen) {
        const std::int32_t length = MediaPlayer1.Length();
        ShowPlayPosition(MediaPlayer1.Position(), length);
    }
    if (incident_.Active())
        IncidentTick();
}

void TFrmVoice::ShowPlayPosition(std::int32_t position, std::int32_t length) {
    if (length == 0)
        return;
    const std::int64_t range = TrackBar1.Max() - TrackBar1.Min();
    if (review_.State() != ReviewedPlayback::Loaded::Designed) {
        // The bar spans the recording, also while a part of it plays, or at another speed.
        const double whole = review_.RecordingLength(length);
        const double at = review_.RecordingAt(position);
        if (whole > 0)
            TrackBar1.SetPosition(TrackBar1.Min() +
                                  static_cast<int>(std::min(1.0, at / whole) * range));
        return;
    }
    TrackBar1.SetPosition(TrackBar1.Min() + static_cast<int>(position * range / length));
}

void TFrmVoice::ShowHeldPosition() {
    if (!MediaPlayer1.DeviceOpen())
        return;
    // Only the bar moves: its change event would seek back to the bar's coarser step.
    review_.showingPosition = true;
    ShowPlayPosition(MediaPlayer1.Position(), MediaPlayer1.Length());
    review_.showingPosition = false;
    TimelinePlaybackTick();
}

void TFrmVoice::TrackBar1Change() {
    // Without a device there is nothing to seek, and the mode query would fail.
    if (!MediaPlayer1.DeviceOpen() || review_.showingPosition)
        return;
    const auto seek = [this] {
        const std::int32_t length = MediaPlayer1.Length();
        const std::int64_t range = TrackBar1.Max() - TrackBar1.Min();
        if (review_.State() != ReviewedPlayback::Loaded::Designed) {
            SeekRecording(review_.RecordingLength(length) *
                          (TrackBar1.Position() - TrackBar1.Min()) / static_cast<double>(range));
            return;
        }
        const std::int32_t target =
            length != 0
                ? static_cast<std::int32_t>(length * std::int64_t{TrackBar1.Position()} / range)
                : 0;
        MediaPlayer1.SetPosition(target);
    };
    switch (MediaPlayer1.Mode()) {
    case msStopped:
        if (MediaPlayer1.Position() == MediaPlayer1.Length()) {
            // Stopped at the end: back to the start, wherever the bar was moved.
            MediaPlayer1.SetPosition(0);
            TrackBar1.SetPosition(0);
        } else {
            seek();
        }
        break;
    case msSeeking:
    case msPaused:
    case msOpen:
        seek();
        break;
    default: // not ready, playing, recording: the next tick puts the bar back
        break;
    }
}

void TFrmVoice::MediaPlayer1Notify() {
    TimelinePlaybackTick(); // before the next recording loads: the one that ended is heard
    const bool finished =
        MediaPlayer1.Mode() == msStopped && !PlayPending && SequenceActive && [this] {
            const std::int32_t position = MediaPlayer1.Position();
            return position == MediaPlayer1.Length() || position == 0;
        }();
    if (finished) {
        MediaPlayer1.SetPosition(0);
        TrackBar1.SetPosition(0);
        if (0 <= CurrentIndex && CurrentIndex < LBListFiles.Count()) {
            StFileName.SetText(L"");
            const int count = LBListFiles.Count();
            int next = CurrentIndex + 1;
            while (next < count && !LBListFiles.Selected(next))
                ++next;
            if (next < count) {
                CurrentIndex = next;
                StFileName.SetText(LBListFiles.Line(next).substr(0, kShownColumns));
                ConvertToPlaybackFile(next);
                if (ChBxAutoStart.Checked()) {
                    PlayPending = true;
                } else {
                    // Loaded and stopped until the user presses Play on the player.
                    PlayPending = false;
                    SequenceActive = false;
                }
            } else {
                SequenceActive = false;
                MediaPlayer1.Close();
            }
        }
    }
    MediaPlayer1.SetNotify(true);
}

void TFrmVoice::MediaPlayer1Click(TMPBtnType button, bool& doDefault) {
    doDefault = true;
    // Play on a loaded, stopped recording runs the sequence from there on.
    if (MediaPlayer1.DeviceOpen() && MediaPlayer1.Mode() == msStopped && button == btPlay)
        SequenceActive = true;
}

void TFrmVoice::MediaPlayer1PostClick(TMPBtnType) {}

} // namespace voice
