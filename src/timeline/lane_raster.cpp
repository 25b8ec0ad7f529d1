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

void RasterizeLane(const Timeline& timeline, std::size_t laneIndex, const TimeScale& scale,
                   const std::vector<bool>& selected, const std::vector<bool>& heard,
                   LaneRaster& out) {
    const int width = scale.Width();
    const int left = scale.Left();
    out.bars.clear();
    out.count.assign(static_cast<std::size_t>(width), 0);
    out.selected.assign(static_cast<std::size_t>(width), 0);
    out.unheard.assign(static_cast<std::size_t>(width), 0);
    out.busiest = 0;
    if (laneIndex >= timeline.lanes.size())
        return;
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
