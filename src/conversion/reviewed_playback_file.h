#pragma once
// The playback file rewritten as 16-bit mono PCM: how the listening aids reach "$$$.Wav".
// The designed conversion writes the file first; PlaybackSource keeps it as the source
// and this writes what the reviewer chose. Win32.

#include "conversion/playback_samples.h"

#include <cstdint>
#include <span>
#include <string>

namespace voice {

// Replaces the file at path with a 16-bit mono WAV of the samples (exclusively, tried
// twice, never over a read-only file, as the conversion creates it). A file that did not
// get every byte, or samples too many for the header, leave it empty and give false, so
// nothing cut short plays.
bool WriteMono16PlaybackFile(const std::wstring& path, int sampleRate,
                             std::span<const float> samples);
// The same for 16-bit frames of channels, interleaved (the incident's stereo mix).
bool WritePcm16PlaybackFile(const std::wstring& path, int sampleRate, int channels,
                            std::span<const std::int16_t> frames);

} // namespace voice
