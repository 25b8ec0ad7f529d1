#pragma once
// One listening level for every recording: the level of its speech, measured over the
// frames where someone speaks and not over its silences, brought to a target, with a
// limiter so no peak clips. A recording without speech found in it keeps its level:
// evening out the level must not turn hiss into a roar, nor bury faint speech. Portable:
// no <windows.h>.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace voice::review {

inline constexpr double kSpeechTargetDb = -20.0; // RMS of active speech, dB full scale
inline constexpr double kMostGainDb = 30.0;
inline constexpr float kPeakCeiling = 0.966f; // -0.3 dB full scale

// The RMS level of the recording's active speech in dB full scale, or nothing when it
// holds no speech (silence, or noise with no louder parts).
std::optional<double> ActiveSpeechLevelDb(std::span<const float> samples, int sampleRate);

// What levelling does to one recording: one gain for all of it, and the limiter's gain at
// each block boundary (never above one).
struct LevelPlan {
    float gain = 1.0f;
    std::size_t block = 1;
    std::vector<float> limiter; // at samples 0, block, 2 * block, ..., one past the end
};

LevelPlan PlanLevel(std::span<const float> samples, int sampleRate);

// in holds the recording's samples from firstSample on; out gets them levelled. in and
// out have the same size and may be the same samples.
void ApplyLevel(const LevelPlan& plan, std::span<const float> in, std::size_t firstSample,
                std::span<float> out);

} // namespace voice::review
