#pragma once
// voice-export's --timeline: the picture of the selected recordings written to a file, never
// inside the archive and never over an existing file. Portable.

#include "timeline/time_scale.h"

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace voice::timeline {

// The lanes of lines over the searched days (midnights); with a time-of-day window the hours
// outside it are folded away, so the picture shows what was searched. Throws
// exporting::ExportRefused with the text to show when the file cannot be written.
void SaveTimelineSvg(std::span<const std::wstring> lines, Seconds searchedFrom, Seconds searchedTo,
                     DayWindow window, const std::filesystem::path& target,
                     const std::vector<std::filesystem::path>& archiveBases);

} // namespace voice::timeline
