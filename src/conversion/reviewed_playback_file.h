#pragma once
// The playback file read back as samples and rewritten as 16-bit mono PCM: how the
// listening aids reach "$$$.Wav". The designed conversion writes the file first; these
// two then turn it into what the reviewer chose. Win32.

#include "conversion/playback_samples.h"

#include <optional>
#include <span>
#include <string>

namespace voice {

// The samples of the playback file at path; nullopt when it cannot be read or holds
// nothing we can process. The player may hold the file open meanwhile.
std::optional<PlaybackSamples> ReadPlaybackFileSamples(const std::wstring& path);

// Replaces the file at path with a 16-bit mono WAV of the samples (exclusively, tried
// twice, never over a read-only file, as the conversion creates it). A file that did not
// get every byte, or samples too many for the header, leave it empty and give false, so
// nothing cut short plays.
bool WriteMono16PlaybackFile(const std::wstring& path, int sampleRate,
                             std::span<const float> samples);

} // namespace voice
