#pragma once
// Where in the recording playback stands, whatever the player has open: the designed file
// (its seconds are the recording's), the whole recording processed, or a part of it that
// begins at a moment of the source, at a speed and with pauses cut. What is shown and
// marked of a recording reads this, never the open file's own position and length.
// Portable: no <windows.h>.

#include "review/processed_timeline.h"

#include <optional>

namespace voice::review {

class PlaybackClock {
public:
    // The designed file: one to one.
    PlaybackClock() = default;
    // A processed file: timeline maps the recording's seconds, counted from timelineStart,
    // to the file's; the recording lasts recordingSeconds.
    PlaybackClock(ProcessedTimeline timeline, double timelineStart, double recordingSeconds);

    bool Processed() const noexcept { return timeline_.has_value(); }
    // The recording's second heard at the file's second.
    double RecordingAt(double fileSeconds) const;
    // The file's second of the recording's second, clamped to what the file holds.
    double FileAt(double recordingSeconds) const;
    // How long the recording is; for the designed file, the file's own length.
    double RecordingLength(double fileSeconds) const;

private:
    std::optional<ProcessedTimeline> timeline_;
    double start_ = 0;
    double length_ = 0;
};

} // namespace voice::review
