#pragma once
// What one lane shows at a zoom: a bar for each recording at least a pixel wide, and for
// the narrower ones a count per pixel column (the density merge), so the work of drawing
// follows the pixels, not the number of recordings. Portable.

#include "timeline/time_scale.h"

#include <cstdint>
#include <vector>

namespace voice::timeline {

struct Bar {
    int x0 = 0; // pixels [x0, x1), clipped to the view
    int x1 = 0;
    std::int32_t item = 0;
};

struct LaneRaster {
    std::vector<Bar> bars;
    // Per pixel column of the view: recordings narrower than a pixel that touch it, and
    // how many of those are selected and how many not heard yet.
    std::vector<std::uint32_t> count;
    std::vector<std::uint32_t> selected;
    std::vector<std::uint32_t> unheard;
    std::uint32_t busiest = 0; // the largest count
};

// The recordings of a lane visible in the view (a binary search by start, bounded by the
// lane's longest recording). selected and heard are per recording; either may be empty.
void RasterizeLane(const Timeline& timeline, std::size_t lane, const TimeScale& scale,
                   const std::vector<bool>& selected, const std::vector<bool>& heard,
                   LaneRaster& out);

// The first recording of the lane starting at or after t (lane.end when none).
std::int32_t FirstStartingAt(const Timeline& timeline, const Lane& lane, Seconds t);

} // namespace voice::timeline
