#pragma once
// Speed change with the pitch kept, by overlap-add with waveform-similarity alignment.
//
// Why this method: it needs no pitch marks and no voiced/unvoiced decision, which on the
// recorder's noisy 8-bit speech at 7860 Hz are where pitch-synchronous methods go wrong;
// noise, unvoiced sounds and silence pass through as they are. Each output block is a
// crossfade between the natural continuation of the previous piece and a new piece of the
// source near its nominal place, shifted to where the two waveforms agree best, so the
// periods of the voice are kept whole and the pitch with them. Its cost is one short
// correlation search per block, done on a decimated copy with a short refinement at the
// full rate, so a one-hour recording stretches in about the time it takes to convert it.
// Portable: no <windows.h>.

#include <cstddef>
#include <span>
#include <vector>

namespace voice::review {

inline constexpr double kSlowestSpeed = 0.5;
inline constexpr double kFastestSpeed = 3.0;

// The speed actually used: clamped to the offered range, 1 when it is not a number.
double UsableSpeed(double speed) noexcept;

// The number of samples the stretch of inputLength samples yields at this speed:
// inputLength / speed, rounded. Every stretch yields exactly this many.
std::size_t StretchedLength(std::size_t inputLength, double speed) noexcept;

// The samples played at the given speed with their pitch kept. At speed 1 a copy.
// The output moment t corresponds to the source moment t * speed.
std::vector<float> TimeStretch(std::span<const float> samples, int sampleRate, double speed);

} // namespace voice::review
