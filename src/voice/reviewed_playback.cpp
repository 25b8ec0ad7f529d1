#include "voice/reviewed_playback.h"

#include <algorithm>
#include <cmath>

namespace voice {
namespace {

// A moment this close to a part's start counts as inside it.
constexpr double kEdgeSeconds = 1e-3;

} // namespace

void ReviewedPlayback::LoadDesigned() {
    loaded_ = Loaded::Designed;
    clock_ = {};
    from_ = 0;
    to_.reset();
}

void ReviewedPlayback::LoadWhole(review::PlaybackClock clock) {
    loaded_ = Loaded::Whole;
    clock_ = std::move(clock);
    from_ = 0;
    to_.reset();
}

void ReviewedPlayback::LoadPart(review::PlaybackClock clock, double from,
                                std::optional<double> to) {
    loaded_ = Loaded::Part;
    clock_ = std::move(clock);
    from_ = from;
    to_ = to;
}

double ReviewedPlayback::RecordingAt(std::int32_t position) const {
    return clock_.RecordingAt(position / 1000.0);
}

std::int32_t ReviewedPlayback::PositionOf(double recordingSeconds) const {
    const double output = clock_.FileAt(recordingSeconds);
    return static_cast<std::int32_t>(std::lround(std::max(0.0, output) * 1000.0));
}

double ReviewedPlayback::RecordingLength(std::int32_t fileLength) const {
    return clock_.RecordingLength(fileLength / 1000.0);
}

bool ReviewedPlayback::Holds(double recordingSeconds) const {
    if (loaded_ != Loaded::Part)
        return true;
    return recordingSeconds >= from_ - kEdgeSeconds && (!to_ || recordingSeconds < *to_);
}

std::optional<double> ReviewedPlayback::NextPart() const {
    return loaded_ == Loaded::Part ? to_ : std::nullopt;
}

ReviewedPlayback::Notified ReviewedPlayback::OnNotify(bool interrupted, bool atEnd) {
    if (staleNotifyExpected_ && interrupted) {
        staleNotifyExpected_ = false;
        return Notified::Stale;
    }
    if (atEnd && NextPart())
        return Notified::NextPart;
    return Notified::Designed;
}

} // namespace voice
