#include "timeline/timeline_svg_file.h"

#include "timeline/timeline_svg.h"

namespace voice::timeline {

std::string SearchedTimelineSvg(std::span<const std::wstring> lines, Seconds searchedFrom,
                                Seconds searchedTo, DayWindow window) {
    const Timeline timeline = BuildTimeline(lines, searchedFrom, searchedTo);
    return TimelineSvg(timeline, lines, Fold(timeline.firstDay, window, !window.Whole()));
}

} // namespace voice::timeline
