#pragma once
// The playback file as samples, and back: what the listening aids (speed, pauses,
// loudness) work on. Reads every form the playback file takes: the 8-bit file the
// conversion writes and a WAV recording copied as it stands (8, 16, 24 or 32-bit integer
// or 32-bit float PCM, any number of channels, mixed to mono). Portable: no <windows.h>.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace voice {

struct PlaybackSamples {
    int sampleRate = 0;
    std::vector<float> samples; // mono, -1 .. 1
};

// The samples of a whole playback file held in memory; nullopt for what is not PCM we
// can read (an empty file from an undecodable recording, a compressed WAV), which then
// plays as it stands. A data chunk longer than the file ends with the file.
std::optional<PlaybackSamples> PlaybackSamplesOfWav(std::span<const std::uint8_t> file);

// A 44-byte header for 16-bit mono PCM at sampleRate holding dataBytes of samples.
std::vector<std::uint8_t> Mono16WavHeader(int sampleRate, std::uint32_t dataBytes);

} // namespace voice
