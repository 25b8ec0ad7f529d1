#include "timeline/lane_raster.h"

#include <algorithm>
#include <cmath>

namespace voice::timeline {

std::int32_t FirstStartingAt(const Timeline& timeline, const Lane& lane, Seconds t) {
    const auto first = timeline.recordings.begin() + lane.begin;
    const auto last = timeline.recordings.begin() + lane.end;
    return static_cast<std::int32_t>(
        std::lower_bound(first, last, t,
                         [](const Recording& r, Seconds value) { return r.start < value; }) -
        timeline.recordings.begin());
}

namespace {

constexpr int kLevels = 16; // the shortest bucket << 15 is beyond 24 days

bool IsSet(const std::vector<bool>& flags, std::int32_t i) {
    return static_cast<std::size_t>(i) < flags.size() && flags[i];
}

// Counts of one lane from the index: per column, the buckets whose start lies in it.
void RasterizeCoarse(const Timeline& timeline, std::size_t laneIndex, const TimeScale& scale,
                     const std::vector<bool>& selected, const DensityIndex& index,
                     LaneRaster& out) {
    const DensityIndex::LaneSums& sums = index.Sums(laneIndex);
    const int width = scale.Width(), left = scale.Left();
    const auto bucketAt = [&](double x) {
        const double t = scale.GetFold().EarliestReal(scale.ShownAt(x));
        const double b = std::floor((t - index.Origin()) / static_cast<double>(index.Bucket()));
        return static_cast<std::size_t>(
            std::clamp<double>(b, 0, static_cast<double>(index.Buckets())));
    };
    std::size_t from = bucketAt(left);
    for (int column = 0; column < width; ++column) {
        const std::size_t to =
            column + 1 == width ? bucketAt(left + width + 0.999) : bucketAt(left + column + 1);
        const auto c = static_cast<std::size_t>(column);
        out.count[c] = sums.count[to] - sums.count[from];
        out.selected[c] = sums.selected[to] - sums.selected[from];
        out.unheard[c] = sums.unheard[to] - sums.unheard[from];
        out.busiest = std::max(out.busiest, out.count[c]);
        from = to;
    }
    // Bars: only recordings at least half a pixel's time long can be a pixel wide.
    int level = 0;
    while (level + 1 < kLevels &&
           static_cast<double>(index.Bucket() << (level + 1)) <= scale.SecondsPerPixel() / 2)
        ++level;
    if (level >= static_cast<int>(sums.longer.size()))
        return;
    const std::vector<std::int32_t>& longer = sums.longer[static_cast<std::size_t>(level)];
    const Lane& lane = timeline.lanes[laneIndex];
    const double realFrom = scale.TimeAt(left) - static_cast<double>(lane.longest);
    const double realTo = scale.TimeAt(left + width);
    auto it =
        std::lower_bound(longer.begin(), longer.end(), realFrom, [&](std::int32_t i, double t) {
            return static_cast<double>(timeline.recordings[i].start) < t;
        });
    for (; it != longer.end() && timeline.recordings[*it].start <= realTo; ++it) {
        const Recording& r = timeline.recordings[*it];
        const double x0 = scale.X(r.start) - left, x1 = scale.X(r.end) - left;
        if (x1 - x0 < 1.0)
            continue;
        const int a = std::max(0, static_cast<int>(std::lround(x0)));
        const int b = std::min(width, static_cast<int>(std::lround(x1)));
        if (b > a)
            out.bars.push_back({a + left, b + left, *it});
    }
    (void)selected;
}

} // namespace

DensityIndex::DensityIndex(const Timeline& timeline)
    : timeline_(&timeline), origin_(timeline.firstDay) {
    const Seconds span = timeline.lastDay + kSecondsPerDay - timeline.firstDay;
    bucket_ = std::max(kShortestBucket, (span + kMostBuckets - 1) / kMostBuckets);
    buckets_ = span / bucket_ + 1;
    lanes_.resize(timeline.lanes.size());
    for (std::size_t l = 0; l < lanes_.size(); ++l) {
        LaneSums& sums = lanes_[l];
        sums.count.assign(static_cast<std::size_t>(buckets_) + 1, 0);
        const Lane& lane = timeline.lanes[l];
        for (std::int32_t i = lane.begin; i < lane.end; ++i) {
            const Recording& r = timeline.recordings[i];
            const auto b = static_cast<std::size_t>(
                std::clamp<Seconds>((r.start - origin_) / bucket_, 0, buckets_ - 1));
            ++sums.count[b + 1];
            for (int level = 0; level < kLevels && r.end - r.start >= (bucket_ << level); ++level) {
                if (sums.longer.size() <= static_cast<std::size_t>(level))
                    sums.longer.resize(static_cast<std::size_t>(level) + 1);
                sums.longer[static_cast<std::size_t>(level)].push_back(i);
            }
        }
        for (std::size_t b = 1; b < sums.count.size(); ++b)
            sums.count[b] += sums.count[b - 1];
    }
    Update({}, {});
}

void DensityIndex::Update(const std::vector<bool>& selected, const std::vector<bool>& heard) {
    if (!timeline_)
        return;
    for (std::size_t l = 0; l < lanes_.size(); ++l) {
        LaneSums& sums = lanes_[l];
        sums.selected.assign(sums.count.size(), 0);
        sums.unheard.assign(sums.count.size(), 0);
        const Lane& lane = timeline_->lanes[l];
        for (std::int32_t i = lane.begin; i < lane.end; ++i) {
            const Recording& r = timeline_->recordings[i];
            const auto b = static_cast<std::size_t>(
                std::clamp<Seconds>((r.start - origin_) / bucket_, 0, buckets_ - 1));
            if (IsSet(selected, i))
                ++sums.selected[b + 1];
            if (!IsSet(heard, i))
                ++sums.unheard[b + 1];
        }
        for (std::size_t b = 1; b < sums.count.size(); ++b) {
            sums.selected[b] += sums.selected[b - 1];
            sums.unheard[b] += sums.unheard[b - 1];
        }
    }
}

void RasterizeLane(const Timeline& timeline, std::size_t laneIndex, const TimeScale& scale,
                   const std::vector<bool>& selected, const std::vector<bool>& heard,
                   LaneRaster& out, const DensityIndex* index) {
    const int width = scale.Width();
    const int left = scale.Left();
    out.bars.clear();
    out.count.assign(static_cast<std::size_t>(width), 0);
    out.selected.assign(static_cast<std::size_t>(width), 0);
    out.unheard.assign(static_cast<std::size_t>(width), 0);
    out.busiest = 0;
    if (laneIndex >= timeline.lanes.size())
        return;
    if (index && laneIndex < index->Lanes() && scale.SecondsPerPixel() >= index->Coarsest()) {
        RasterizeCoarse(timeline, laneIndex, scale, selected, *index, out);
        return;
    }
    const Lane& lane = timeline.lanes[laneIndex];
    const double realFrom = scale.TimeAt(left);
    const double realTo = scale.TimeAt(left + width);
    const Seconds searchFrom = static_cast<Seconds>(std::floor(realFrom)) - lane.longest;
    for (std::int32_t i = FirstStartingAt(timeline, lane, searchFrom); i < lane.end; ++i) {
        const Recording& r = timeline.recordings[i];
        if (r.start > realTo)
            break;
        if (r.end < realFrom)
            continue;
        const double x0 = scale.X(r.start) - left;
        const double x1 = scale.X(r.end) - left;
        if (x1 - x0 >= 1.0) {
            const int a = std::max(0, static_cast<int>(std::lround(x0)));
            const int b = std::min(width, static_cast<int>(std::lround(x1)));
            if (b > a)
                out.bars.push_back({a + left, b + left, i});
            continue;
        }
        const int column = static_cast<int>(std::floor(x0));
        if (column < 0 || column >= width)
            continue;
        const auto c = static_cast<std::size_t>(column);
        out.busiest = std::max(out.busiest, ++out.count[c]);
        if (static_cast<std::size_t>(i) < selected.size() && selected[i])
            ++out.selected[c];
        if (static_cast<std::size_t>(i) >= heard.size() || !heard[i])
            ++out.unheard[c];
    }
}

} // namespace voice::timeline
