#include "timeline/navigation.h"

#include "timeline/lane_raster.h"

#include <algorithm>
#include <cmath>

namespace voice::timeline {
namespace {

bool Valid(const Timeline& timeline, std::int32_t item) {
    return item >= 0 && static_cast<std::size_t>(item) < timeline.recordings.size();
}

// Distance from t to a recording's span; 0 inside it.
double Distance(const Recording& r, double t) {
    if (t < r.start)
        return r.start - t;
    if (t > r.end)
        return t - r.end;
    return 0;
}

} // namespace

std::int32_t NextInLane(const Timeline& timeline, std::int32_t item, int direction) {
    if (!Valid(timeline, item))
        return -1;
    const Lane& lane = timeline.lanes[timeline.recordings[item].lane];
    const std::int32_t next = item + (direction < 0 ? -1 : 1);
    return next >= lane.begin && next < lane.end ? next : item;
}

std::int32_t NearestInLane(const Timeline& timeline, std::size_t laneIndex, double t) {
    if (laneIndex >= timeline.lanes.size())
        return -1;
    const Lane& lane = timeline.lanes[laneIndex];
    const Seconds from = static_cast<Seconds>(std::floor(t)) - lane.longest;
    std::int32_t best = -1;
    double bestDistance = 0;
    const auto consider = [&](std::int32_t i) {
        const double d = Distance(timeline.recordings[i], t);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    };
    // Every recording that may run at t, then the first one starting after it.
    std::int32_t i = FirstStartingAt(timeline, lane, from);
    if (i > lane.begin)
        consider(i - 1); // the last one ending before t
    for (; i < lane.end && timeline.recordings[i].start <= t; ++i)
        consider(i);
    if (i < lane.end)
        consider(i);
    return best;
}

std::int32_t InNeighbourLane(const Timeline& timeline, std::int32_t item, int direction) {
    if (!Valid(timeline, item))
        return -1;
    const Recording& r = timeline.recordings[item];
    const std::int32_t lane = r.lane + (direction < 0 ? -1 : 1);
    if (lane < 0 || static_cast<std::size_t>(lane) >= timeline.lanes.size())
        return item;
    return NearestInLane(timeline, static_cast<std::size_t>(lane), static_cast<double>(r.start));
}

std::int32_t FirstRecording(const Timeline& timeline) {
    std::int32_t best = -1;
    for (const Lane& lane : timeline.lanes)
        if (lane.end > lane.begin &&
            (best < 0 || timeline.recordings[lane.begin].start < timeline.recordings[best].start))
            best = lane.begin;
    return best;
}

std::int32_t LastRecording(const Timeline& timeline) {
    std::int32_t best = -1;
    for (const Lane& lane : timeline.lanes)
        if (lane.end > lane.begin &&
            (best < 0 || timeline.recordings[lane.end - 1].start > timeline.recordings[best].start))
            best = lane.end - 1;
    return best;
}

std::int32_t HitTest(const Timeline& timeline, std::size_t laneIndex, const TimeScale& scale,
                     double x, double tolerance) {
    if (laneIndex >= timeline.lanes.size())
        return -1;
    const double t = scale.TimeAt(x);
    const std::int32_t nearest = NearestInLane(timeline, laneIndex, t);
    if (nearest < 0)
        return -1;
    const Recording& r = timeline.recordings[nearest];
    const double x0 = scale.X(r.start), x1 = scale.X(r.end);
    return x >= x0 - tolerance && x <= x1 + tolerance ? nearest : -1;
}

std::vector<std::int32_t> RecordingsInSpan(const Timeline& timeline, double from, double to) {
    if (to < from)
        std::swap(from, to);
    std::vector<std::int32_t> found;
    for (const Lane& lane : timeline.lanes) {
        const Seconds first = static_cast<Seconds>(std::floor(from)) - lane.longest;
        for (std::int32_t i = FirstStartingAt(timeline, lane, first);
             i < lane.end && timeline.recordings[i].start <= to; ++i)
            if (timeline.recordings[i].end >= from)
                found.push_back(i);
    }
    std::sort(found.begin(), found.end(), [&](std::int32_t a, std::int32_t b) {
        return timeline.recordings[a].line < timeline.recordings[b].line;
    });
    return found;
}

} // namespace voice::timeline
