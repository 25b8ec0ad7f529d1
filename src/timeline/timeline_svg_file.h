#pragma once
// voice-export's --timeline: the picture of the selected recordings over the searched days.
// Where it goes (a file written safely, or standard output) is the command line's business.
// Portable.

#include "timeline/time_scale.h"

#include <span>
#include <string>
#include <vector>

namespace voice::timeline {

// The lanes of lines over the searched days (midnights); with a time-of-day window the hours
// outside it are folded away, so the picture shows what was searched. Its width follows the
// range; heardByLine, when given, marks the lines heard.
std::string SearchedTimelineSvg(std::span<const std::wstring> lines, Seconds searchedFrom,
                                Seconds searchedTo, DayWindow window,
                                const std::vector<bool>& heardByLine = {});

} // namespace voice::timeline
