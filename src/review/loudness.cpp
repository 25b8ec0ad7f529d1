#include "review/loudness.h"

#include <algorithm>
#include <cmath>

#include "review/frame_levels.h"

namespace voice::review {
namespace {

constexpr double kFrameSeconds = 0.01;
constexpr double kBlockSeconds = 0.005;
// Active frames stand this far above the quietest tenth of the recording...
constexpr float kAboveFloorDb = 9.0f;
// ...and within this of its loudest frames (the speech's own weak parts still count).
constexpr float kUnderLoudDb = 30.0f;
constexpr float kOverTypicalDb = 12.0f;
// Speech lasts at least a syllable: 100 ms.
constexpr std::size_t kFewestActiveFrames = 10;
// The limiter lets go at 40 dB a second: no pumping between syllables.
constexpr double kReleaseDbPerSecond = 40.0;

double DbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

double MeanLevelDb(std::span<const float> levels) {
    double energy = 0;
    for (const float level : levels) {
        energy += std::pow(10.0, level / 10.0);
    }
    return 10.0 * std::log10(energy / static_cast<double>(std::max<std::size_t>(1, levels.size())));
}

float Peak(std::span<const float> samples) {
    float peak = 0;
    for (const float s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    return peak;
}

} // namespace

std::optional<double> ActiveSpeechLevelDb(std::span<const float> samples, int sampleRate) {
    const std::vector<float> levels =
        FrameLevelsDb(samples, FrameLength(sampleRate, kFrameSeconds));
    const float threshold = std::max(PercentileDb(levels, 0.1) + kAboveFloorDb,
                                     PercentileDb(levels, 0.99) - kUnderLoudDb);
    std::vector<float> active;
    for (const float level : levels) {
        if (level > threshold && level > kSilenceDb) {
            active.push_back(level);
        }
    }
    if (active.size() < kFewestActiveFrames) {
        return std::nullopt; // a knock or a click is not speech
    }
    // A knock or a click is no part of the speech's level: no frame counts for more than
    // a little above the typical active frame.
    const float cap = PercentileDb(active, 0.5) + kOverTypicalDb;
    for (float& level : active) {
        level = std::min(level, cap);
    }
    return MeanLevelDb(active);
}

LevelPlan PlanLevel(std::span<const float> samples, int sampleRate) {
    LevelPlan plan;
    // No speech found: noise alone, or speech too faint to tell from its hiss. Either way
    // it stays as it was: raised, hiss would roar; lowered, faint speech would be lost.
    double gainDb = 0;
    if (const auto speech = ActiveSpeechLevelDb(samples, sampleRate))
        gainDb = std::min(kSpeechTargetDb - *speech, kMostGainDb);
    plan.gain = static_cast<float>(DbToGain(gainDb));

    // Each block's highest allowed gain, lowered ahead of a peak by taking the least of
    // the block and its neighbours, then let up slowly. Gains between boundaries are
    // interpolated, and both boundaries of a block are at most its own allowed gain, so
    // no sample in it can pass the ceiling.
    plan.block = FrameLength(sampleRate, kBlockSeconds);
    const std::size_t blocks = (samples.size() + plan.block - 1) / plan.block;
    std::vector<float> allowed(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t at = b * plan.block;
        const float peak =
            Peak(samples.subspan(at, std::min(plan.block, samples.size() - at))) * plan.gain;
        allowed[b] = peak > kPeakCeiling ? kPeakCeiling / peak : 1.0f;
    }
    const auto release = static_cast<float>(DbToGain(kReleaseDbPerSecond * kBlockSeconds));
    std::vector<float> held(blocks);
    float previous = 1.0f;
    for (std::size_t b = 0; b < blocks; ++b) {
        float g = allowed[b];
        if (b > 0) {
            g = std::min(g, allowed[b - 1]);
        }
        if (b + 1 < blocks) {
            g = std::min(g, allowed[b + 1]);
        }
        previous = std::min(g, previous * release);
        held[b] = previous;
    }
    plan.limiter.resize(blocks + 1);
    for (std::size_t b = 0; b <= blocks; ++b) {
        const float before = b > 0 ? held[b - 1] : 1.0f;
        const float after = b < blocks ? held[b] : 1.0f;
        plan.limiter[b] = std::min(before, after);
    }
    return plan;
}

void ApplyLevel(const LevelPlan& plan, std::span<const float> in, std::size_t firstSample,
                std::span<float> out) {
    const std::size_t block = plan.block;
    for (std::size_t i = 0; i < in.size();) {
        const std::size_t at = firstSample + i;
        const std::size_t b = at / block;
        const std::size_t count = std::min(in.size() - i, (b + 1) * block - at);
        const float from = plan.limiter[std::min(b, plan.limiter.size() - 1)];
        const float to = plan.limiter[std::min(b + 1, plan.limiter.size() - 1)];
        const float slope = (to - from) / static_cast<float>(block);
        const float offset = static_cast<float>(at - b * block);
        for (std::size_t k = 0; k < count; ++k) {
            const float limiter = from + slope * (offset + static_cast<float>(k));
            out[i + k] = in[i + k] * plan.gain * limiter;
        }
        i += count;
    }
}

} // namespace voice::review
