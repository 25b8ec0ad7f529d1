#include "incident/placement.h"

#include <algorithm>
#include <numeric>

namespace voice::incident {

IncidentTimeline PlaceRecordings(std::span<const Recording> recordings, std::int64_t maxGap,
                                 std::optional<TimeSpan> span) {
    IncidentTimeline timeline;
    timeline.placements.resize(recordings.size());
    // Each recording as it sounds within the span, on the real axis.
    std::vector<std::int64_t> begin(recordings.size()), end(recordings.size());
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        begin[i] = recordings[i].start;
        end[i] = recordings[i].start + std::max<std::int64_t>(recordings[i].frames, 0);
        if (span) {
            begin[i] = std::max(begin[i], span->from);
            end[i] = std::min(end[i], span->to);
        }
        if (end[i] > begin[i])
            order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return begin[a] < begin[b]; });
    if (order.empty() && !span)
        return timeline;

    // The silence before a recording is what lies between it and the farthest end so far.
    auto shortened = [maxGap](std::int64_t silence) {
        return maxGap > 0 && silence > maxGap ? silence - maxGap : 0;
    };
    const std::int64_t origin = span ? span->from : begin[order.front()];
    std::int64_t covered = origin;
    std::int64_t removed = 0;
    for (const std::size_t i : order) {
        if (begin[i] > covered)
            removed += shortened(begin[i] - covered);
        timeline.placements[i] = {begin[i] - origin - removed, begin[i] - recordings[i].start,
                                  end[i] - begin[i]};
        covered = std::max(covered, end[i]);
    }
    if (span && span->to > covered)
        removed += shortened(span->to - covered);
    timeline.frames = (span ? std::max(span->to, covered) : covered) - origin - removed;
    return timeline;
}

} // namespace voice::incident
