#pragma once
// How long a recording plays, the one figure the index and the saved list both give.
// Portable.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace voice::exporting {

// The playback length in seconds: a WAV recording's data (as far as the file holds it)
// over its bytes per second, any other form its samples at 7860 per second (run-coded
// forms are decoded to count them). nullopt when the recording cannot be read or decoded.
std::optional<double> PlaybackSeconds(const std::filesystem::path& source);

// Whether a recording's exported WAV (its playback file, a pad byte and trailingBytes of
// chunks after it) stays a valid RIFF file under 4 GB. Decided before anything is
// written: from the length for kinds 1 to 3, and for run-coded recordings too short to
// pass the limit at the decoders' largest ratio (255 to 1); only longer ones are decoded
// once to count. true for a recording that cannot be read: its read fails on its own.
bool ExportedWavFits(const std::filesystem::path& source, std::uint64_t trailingBytes);

// Seconds as the index writes them: three decimals, a point.
std::wstring FormatSeconds(double seconds);

} // namespace voice::exporting
