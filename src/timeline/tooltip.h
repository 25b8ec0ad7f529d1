#pragma once
// What the timeline says of one recording: its tooltip in the window, its title in the SVG.
// Portable.

#include "timeline/timeline_model.h"

#include <string>
#include <string_view>

namespace voice::timeline {

// "Канал N", start, end, duration, size and the file, one per line.
std::wstring RecordingTooltip(const Timeline& timeline, std::int32_t item, std::wstring_view path);

// A column of recordings merged at a coarse zoom: the channel, how many it holds and the
// minutes it spans ([from, to) in local seconds).
std::wstring MergedColumnTooltip(int channel, std::uint32_t count, double from, double to);

} // namespace voice::timeline
