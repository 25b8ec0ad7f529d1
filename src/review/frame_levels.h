#pragma once
// The level of each short frame of a recording, in dB relative to full scale: what the
// pause detector and the loudness measure both judge by. Portable: no <windows.h>.

#include <cstddef>
#include <span>
#include <vector>

namespace voice::review {

// Digital silence and anything quieter reads as this level.
inline constexpr float kSilenceDb = -120.0f;

// Mean-square level of each whole frame of frameLength samples, and of the last part one.
std::vector<float> FrameLevelsDb(std::span<const float> samples, std::size_t frameLength);

// The level that the given fraction (0..1) of the levels lie at or below.
float PercentileDb(std::span<const float> levels, double fraction);

std::size_t FrameLength(int sampleRate, double seconds);

} // namespace voice::review
