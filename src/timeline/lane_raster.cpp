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

// From the recording at `from` on (by start), the first starting at or after t: a short
// walk (a pixel column seldom holds more, and a walk has no branch to mispredict), then a
// galloping search, so that a walk across the columns costs little more than their number.
std::int32_t FirstFrom(const Timeline& timeline, std::int32_t from, std::int32_t end, double t) {
    const auto before = [&](std::int32_t i) {
        return static_cast<double>(timeline.recordings[i].start) < t;
    };
    for (const std::int32_t walked = std::min(end, from + 16); from < walked; ++from)
        if (!before(from))
            return from;
    std::int32_t step = 1;
    while (from < end && before(from)) {
        const std::int32_t probe = from + step;
        if (probe >= end || !before(probe)) {
            end = std::min(end, probe);
            ++from;
            break;
        }
        from = probe + 1;
        step *= 2;
    }
    return static_cast<std::int32_t>(
        std::lower_bound(
            timeline.recordings.begin() + from, timeline.recordings.begin() + end, t,
            [](const Recording& r, double value) { return static_cast<double>(r.start) < value; }) -
        timeline.recordings.begin());
}

// Counts of one lane from the index: per column, the recordings whose start lies in it.
void RasterizeCoarse(const Timeline& timeline, std::size_t laneIndex, const TimeScale& scale,
                     const std::vector<bool>& selected, const DensityIndex& index,
                     LaneRaster& out) {
    const DensityIndex::LaneSums& sums = index.Sums(laneIndex);
    const Lane& lane = timeline.lanes[laneIndex];
    const int width = scale.Width(), left = scale.Left();
    const auto timeAt = [&](double x) { return scale.GetFold().EarliestReal(scale.ShownAt(x)); };
    std::int32_t from = FirstFrom(timeline, lane.begin, lane.end, timeAt(left));
    for (int column = 0; column < width; ++column) {
        const double edge = column + 1 == width ? left + width + 0.999 : left + column + 1;
        const std::int32_t to = FirstFrom(timeline, from, lane.end, timeAt(edge));
        const auto c = static_cast<std::size_t>(column);
        const auto a = static_cast<std::size_t>(from - lane.begin);
        const auto b = static_cast<std::size_t>(to - lane.begin);
        out.count[c] = static_cast<std::uint32_t>(to - from);
        out.selected[c] = sums.selected[b] - sums.selected[a];
        out.unheard[c] = sums.unheard[b] - sums.unheard[a];
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

DensityIndex::DensityIndex(const Timeline& timeline) : timeline_(&timeline) {
    const Seconds span = timeline.lastDay + kSecondsPerDay - timeline.firstDay;
    bucket_ = std::max(kShortestBucket, (span + kMostBuckets - 1) / kMostBuckets);
    lanes_.resize(timeline.lanes.size());
    for (std::size_t l = 0; l < lanes_.size(); ++l) {
        LaneSums& sums = lanes_[l];
        const Lane& lane = timeline.lanes[l];
        for (std::int32_t i = lane.begin; i < lane.end; ++i) {
            const Recording& r = timeline.recordings[i];
            for (int level = 0; level < kLevels && r.end - r.start >= (bucket_ << level); ++level) {
                if (sums.longer.size() <= static_cast<std::size_t>(level))
                    sums.longer.resize(static_cast<std::size_t>(level) + 1);
                sums.longer[static_cast<std::size_t>(level)].push_back(i);
            }
        }
    }
    Update({}, {});
}

void DensityIndex::Update(const std::vector<bool>& selected, const std::vector<bool>& heard) {
    if (!timeline_)
        return;
    for (std::size_t l = 0; l < lanes_.size(); ++l) {
        LaneSums& sums = lanes_[l];
        const Lane& lane = timeline_->lanes[l];
        const auto n = static_cast<std::size_t>(lane.end - lane.begin);
        sums.selected.assign(n + 1, 0);
        sums.unheard.assign(n + 1, 0);
        for (std::size_t k = 0; k < n; ++k) {
            const auto i = lane.begin + static_cast<std::int32_t>(k);
            sums.selected[k + 1] = sums.selected[k] + (IsSet(selected, i) ? 1 : 0);
            sums.unheard[k + 1] = sums.unheard[k] + (IsSet(heard, i) ? 0 : 1);
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
