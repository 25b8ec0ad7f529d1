#include "review/playback_clock.h"

#include <utility>

namespace voice::review {

PlaybackClock::PlaybackClock(ProcessedTimeline timeline, double timelineStart,
                             double recordingSeconds)
    : timeline_(std::move(timeline)), start_(timelineStart), length_(recordingSeconds) {}

double PlaybackClock::RecordingAt(double fileSeconds) const {
    return timeline_ ? start_ + timeline_->SourceFromOutput(fileSeconds) : fileSeconds;
}

double PlaybackClock::FileAt(double recordingSeconds) const {
    return timeline_ ? timeline_->OutputFromSource(recordingSeconds - start_) : recordingSeconds;
}

double PlaybackClock::RecordingLength(double fileSeconds) const {
    return timeline_ ? length_ : fileSeconds;
}

} // namespace voice::review
