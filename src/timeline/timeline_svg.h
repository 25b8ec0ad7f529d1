#pragma once
// The timeline as an SVG document, for a report: a lane per channel, the time axis with its
// grid through the lanes, one bar per recording in its channel's colour (narrow ones kept at
// a visible width, heard ones faded) with the tooltip's text as its title, and below them a
// caption with the range and channels and a legend. Portable.

#include "timeline/time_scale.h"

#include <span>
#include <string>
#include <vector>

namespace voice::timeline {

struct SvgLayout {
    int width = 1600;    // the whole picture
    int labelWidth = 90; // lane labels on the left
    int axisHeight = 40; // the axis above the lanes
    int laneHeight = 32;
    int barInset = 4;     // space above and below a bar inside its lane
    double narrowest = 1; // the least width a bar is drawn with
    int footHeight = 44;  // the caption and the legend below the lanes
};

// A width for the picture that follows the range: about 720 pixels a shown day.
int SvgWidthFor(const Timeline& timeline, const Fold& fold, const SvgLayout& layout = {});

// lines are the list's lines the timeline was built from (for the paths); heardByLine, when
// given, says which of them were heard.
std::string TimelineSvg(const Timeline& timeline, std::span<const std::wstring> lines,
                        const Fold& fold, const SvgLayout& layout = {},
                        const std::vector<bool>& heardByLine = {});

} // namespace voice::timeline
