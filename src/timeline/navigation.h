#pragma once
// Finding recordings on the timeline: from the keyboard (previous or next in a lane, the
// nearest in the lane above or below, the first and last), under the mouse, and in a time
// span across lanes. Items are indices into Timeline::recordings; -1 is none. Portable.

#include "timeline/time_scale.h"

#include <vector>

namespace voice::timeline {

// The previous (direction < 0) or next recording of item's lane by start; item itself at
// either end.
std::int32_t NextInLane(const Timeline& timeline, std::int32_t item, int direction);

// The recording of lane nearest to t: one running at t, else the one whose start or end
// is closest (the earlier on a tie).
std::int32_t NearestInLane(const Timeline& timeline, std::size_t lane, double t);

// The lane above (direction < 0) or below item's, its recording nearest to item's start;
// item itself at the top or bottom lane.
std::int32_t InNeighbourLane(const Timeline& timeline, std::int32_t item, int direction);

// The earliest or latest start of all lanes (the upper lane on a tie).
std::int32_t FirstRecording(const Timeline& timeline);
std::int32_t LastRecording(const Timeline& timeline);

// The recording under pixel x of lane: one whose bar covers x, widened to tolerance pixels
// each side for narrow ones, the nearest to x when several do.
std::int32_t HitTest(const Timeline& timeline, std::size_t lane, const TimeScale& scale, double x,
                     double tolerance);

// Every recording of any lane that overlaps [from, to], ordered by list line.
std::vector<std::int32_t> RecordingsInSpan(const Timeline& timeline, double from, double to);

} // namespace voice::timeline
