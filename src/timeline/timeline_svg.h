#pragma once
// The timeline as an SVG document, for a report: a lane per channel, the time axis, and
// one bar per recording (narrow ones kept at a visible width) with the tooltip's text as
// its title. Portable.

#include "timeline/time_scale.h"

#include <span>
#include <string>

namespace voice::timeline {

struct SvgLayout {
    int width = 1600;    // the whole picture
    int labelWidth = 90; // lane labels on the left
    int axisHeight = 40; // the axis above the lanes
    int laneHeight = 32;
    int barInset = 4;     // space above and below a bar inside its lane
    double narrowest = 1; // the least width a bar is drawn with
};

// lines are the list's lines the timeline was built from (for the paths).
std::string TimelineSvg(const Timeline& timeline, std::span<const std::wstring> lines,
                        const Fold& fold, const SvgLayout& layout = {});

} // namespace voice::timeline
