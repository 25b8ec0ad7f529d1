#include "timeline/timeline_svg_file.h"

#include "timeline/timeline_svg.h"

namespace voice::timeline {

std::string SearchedTimelineSvg(std::span<const std::wstring> lines, Seconds searchedFrom,
                                Seconds searchedTo, DayWindow window,
                                const std::vector<bool>& heardByLine) {
    const Timeline timeline = BuildTimeline(lines, searchedFrom, searchedTo);
    const Fold fold(timeline.firstDay, window, !window.Whole());
    SvgLayout layout;
    layout.width = SvgWidthFor(timeline, fold, layout);
    return TimelineSvg(timeline, lines, fold, layout, heardByLine);
}

} // namespace voice::timeline
