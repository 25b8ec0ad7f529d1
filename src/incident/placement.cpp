#include "incident/placement.h"

#include <algorithm>
#include <numeric>

namespace voice::incident {

Placer::Placer(std::int64_t maxGap, std::optional<TimeSpan> span) : maxGap_(maxGap), span_(span) {
    if (span) {
        started_ = true;
        origin_ = covered_ = span->from;
    }
}

std::int64_t Placer::Shortened(std::int64_t silence) const {
    return maxGap_ > 0 && silence > maxGap_ ? silence - maxGap_ : 0;
}

Placement Placer::Place(const Recording& recording) {
    // As it sounds within the span, on the real axis.
    std::int64_t begin = recording.start;
    std::int64_t end = recording.start + std::max<std::int64_t>(recording.frames, 0);
    if (span_) {
        begin = std::max(begin, span_->from);
        end = std::min(end, span_->to);
    }
    if (end <= begin)
        return {};
    if (!started_) {
        started_ = true;
        origin_ = covered_ = begin;
    }
    // The silence before a recording is what lies between it and the farthest end so far.
    if (begin > covered_)
        removed_ += Shortened(begin - covered_);
    covered_ = std::max(covered_, end);
    return {begin - origin_ - removed_, begin - recording.start, end - begin};
}

std::int64_t Placer::Frames() const {
    if (!started_)
        return 0;
    std::int64_t removed = removed_;
    if (span_ && span_->to > covered_)
        removed += Shortened(span_->to - covered_);
    return (span_ ? std::max(span_->to, covered_) : covered_) - origin_ - removed;
}

IncidentTimeline PlaceRecordings(std::span<const Recording> recordings, std::int64_t maxGap,
                                 std::optional<TimeSpan> span) {
    IncidentTimeline timeline;
    timeline.placements.resize(recordings.size());
    auto begin = [&](std::size_t i) {
        return span ? std::max(recordings[i].start, span->from) : recordings[i].start;
    };
    std::vector<std::size_t> order(recordings.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return begin(a) < begin(b); });
    Placer placer(maxGap, span);
    for (const std::size_t i : order)
        timeline.placements[i] = placer.Place(recordings[i]);
    timeline.frames = placer.Frames();
    return timeline;
}

} // namespace voice::incident
