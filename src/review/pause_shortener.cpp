#include "review/pause_shortener.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "review/frame_levels.h"

namespace voice::review {
namespace {

constexpr double kFrameSeconds = 0.01;
// The floor falls at once to a quieter frame and rises slowly (2 dB a second): a new,
// louder background is followed within seconds, a long word never becomes the floor.
constexpr double kFloorRiseDbPerSecond = 2.0;
// Quiet means within this of the floor...
constexpr float kAboveFloorDb = 10.0f;
// ...and well under the recording's loud parts, so steady sound or noise alone, with
// nothing louder in it, is never taken for a pause.
constexpr float kUnderLoudDb = 12.0f;

// The noise floor under each frame: the lower of a follower run forwards and one run
// backwards, so a recording that starts with speech has its floor from the first pause.
std::vector<float> NoiseFloor(std::span<const float> levels) {
    const auto rise = static_cast<float>(kFloorRiseDbPerSecond * kFrameSeconds);
    std::vector<float> floor(levels.size());
    float follower = levels.empty() ? kSilenceDb : levels.front();
    for (std::size_t i = 0; i < levels.size(); ++i) {
        follower = std::min(levels[i], follower + rise);
        floor[i] = follower;
    }
    follower = levels.empty() ? kSilenceDb : levels.back();
    for (std::size_t i = levels.size(); i-- > 0;) {
        follower = std::min(levels[i], follower + rise);
        floor[i] = std::min(floor[i], follower);
    }
    return floor;
}

} // namespace

std::vector<PauseCut> FindPauseCuts(std::span<const float> samples, int sampleRate) {
    const std::size_t frame = FrameLength(sampleRate, kFrameSeconds);
    const std::vector<float> levels = FrameLevelsDb(samples, frame);
    const std::vector<float> floor = NoiseFloor(levels);
    const float loud = PercentileDb(levels, 0.99);
    const auto longest = static_cast<double>(sampleRate) * kLongPauseSeconds;
    const std::size_t half = FrameLength(sampleRate, kKeptPauseSeconds / 2);

    std::vector<PauseCut> cuts;
    std::size_t i = 0;
    while (i < levels.size()) {
        const auto quiet = [&](std::size_t f) {
            return levels[f] < std::min(floor[f] + kAboveFloorDb, loud - kUnderLoudDb);
        };
        if (!quiet(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < levels.size() && quiet(end)) {
            ++end;
        }
        const std::size_t first = i * frame;
        const std::size_t last = std::min(end * frame, samples.size());
        if (static_cast<double>(last - first) > longest && last - first > 2 * half) {
            cuts.push_back({first + half, last - half});
        }
        i = end;
    }
    return cuts;
}

std::vector<float> RemoveCuts(std::span<const float> samples, std::span<const PauseCut> cuts,
                              int sampleRate) {
    std::size_t removed = 0;
    for (const PauseCut& cut : cuts) {
        removed += cut.end - cut.begin;
    }
    std::vector<float> out;
    out.reserve(samples.size() - removed);
    std::vector<std::size_t> joins;
    std::size_t at = 0;
    for (const PauseCut& cut : cuts) {
        out.insert(out.end(), samples.begin() + static_cast<std::ptrdiff_t>(at),
                   samples.begin() + static_cast<std::ptrdiff_t>(cut.begin));
        joins.push_back(out.size());
        at = cut.end;
    }
    out.insert(out.end(), samples.begin() + static_cast<std::ptrdiff_t>(at), samples.end());

    // Down to nothing and up again at each join: both sides are the pause's own quiet, so
    // the dip is not heard, and no step in the waveform is either.
    const std::size_t fade = FrameLength(sampleRate, kPauseFadeSeconds);
    for (const std::size_t join : joins) {
        for (std::size_t i = 0; i < fade; ++i) {
            const double s = std::sin(std::numbers::pi / 2 * (static_cast<double>(i) + 0.5) /
                                      static_cast<double>(fade));
            const auto gain = static_cast<float>(s * s);
            if (i < join) {
                out[join - 1 - i] *= gain;
            }
            if (join + i < out.size()) {
                out[join + i] *= gain;
            }
        }
    }
    return out;
}

} // namespace voice::review
