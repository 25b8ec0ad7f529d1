#pragma once
// A start directory for the real program: BegDir.Ini pointing every channel at a small
// archive of channel-1 recordings dated today, in the stored forms our encoder makes.

#include "recording_encoder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace voice::soak {

struct ArchiveRecording {
    RecordingKind kind = RecordingKind::Wav;
    double seconds = 0.2; // 0: a zero-length file
};

// Writes the recordings into base\<today's day directory>, seven seconds apart in start
// order, so list line i (ordered by start) is recording i. Returns their paths in order.
std::vector<std::filesystem::path> MakeArchive(const std::filesystem::path& base,
                                               const std::vector<ArchiveRecording>& recordings);

// BegDir.Ini in startDir: all eight channels at base (only channel 1 has recordings).
void WriteChannelTable(const std::filesystem::path& startDir, const std::filesystem::path& base);

} // namespace voice::soak
