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

// Each lane's selected and not-heard recordings summed in order of start (the lane's
// recordings are sorted by start, so a pixel column's count is the distance between two
// searches), and its longer recordings by length: with them a coarse zoom costs a search
// per pixel column and a look at the few recordings long enough for a bar, whatever the
// number of recordings. Its size follows the recordings, not the span they cover.
class DensityIndex {
public:
    static constexpr Seconds kShortestBucket = 64;
    static constexpr std::int64_t kMostBuckets = 1 << 16;

    DensityIndex() = default;
    explicit DensityIndex(const Timeline& timeline);
    // The selected and not-heard counts after either changed.
    void Update(const std::vector<bool>& selected, const std::vector<bool>& heard);

    struct LaneSums {
        std::vector<std::uint32_t> selected, unheard; // prefix sums, the lane's recordings + 1
        // Level j: the lane's recordings at least Bucket() << j seconds long, by start.
        std::vector<std::vector<std::int32_t>> longer;
    };
    const LaneSums& Sums(std::size_t lane) const { return lanes_[lane]; }
    std::size_t Lanes() const noexcept { return lanes_.size(); }
    // The shortest length worth a level of its own: a minute or so, longer over years.
    Seconds Bucket() const noexcept { return bucket_; }
    // Below this many seconds a pixel, the recordings in view are few enough to visit.
    double Coarsest() const noexcept { return 4.0 * static_cast<double>(bucket_); }

private:
    const Timeline* timeline_ = nullptr;
    Seconds bucket_ = kShortestBucket;
    std::vector<LaneSums> lanes_;
};

// The recordings of a lane visible in the view. Near zooms visit them (a binary search by
// start, bounded by the lane's longest recording); coarse ones read the index when given.
// selected and heard are per recording; either may be empty.
void RasterizeLane(const Timeline& timeline, std::size_t lane, const TimeScale& scale,
                   const std::vector<bool>& selected, const std::vector<bool>& heard,
                   LaneRaster& out, const DensityIndex* index = nullptr);

// The first recording of the lane starting at or after t (lane.end when none).
std::int32_t FirstStartingAt(const Timeline& timeline, const Lane& lane, Seconds t);

} // namespace voice::timeline
