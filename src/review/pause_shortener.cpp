#include "review/pause_shortener.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

#include "review/frame_levels.h"

namespace voice::review {
namespace {

constexpr double kFrameSeconds = 0.01;
// The floor under a frame is the quietest frame within 3 s either side: every pause
// between words reaches it, and a background that gets louder is followed within seconds.
constexpr std::size_t kFloorReachFrames = 300;
// Quiet means within this of the floor...
constexpr float kAboveFloorDb = 10.0f;
// ...and well under the recording's loud parts, so steady sound or noise alone, with
// nothing louder in it, is never taken for a pause.
constexpr float kUnderLoudDb = 12.0f;

// Digital silence (a voice-operated recorder's gaps, zeros) is no noise floor: beside it
// the line's own hiss would count as sound. A 16-bit recording's last bit is at -90 dB.
constexpr float kDigitalSilenceDb = -100.0f;

// Sliding minimum over [i - reach, i + reach] of the frames that are not digital silence,
// in one pass with a queue of candidates; kSilenceDb where there are none.
std::vector<float> NoiseFloor(std::span<const float> frameLevels) {
    std::vector<float> levels(frameLevels.begin(), frameLevels.end());
    for (float& level : levels)
        if (level <= kDigitalSilenceDb)
            level = INFINITY;
    const std::size_t n = levels.size();
    std::vector<float> floor(n);
    std::deque<std::size_t> candidates; // indices, their levels rising
    std::size_t next = 0;               // the next frame to enter the window
    for (std::size_t i = 0; i < n; ++i) {
        for (; next < n && next <= i + kFloorReachFrames; ++next) {
            while (!candidates.empty() && levels[candidates.back()] >= levels[next]) {
                candidates.pop_back();
            }
            candidates.push_back(next);
        }
        while (candidates.front() + kFloorReachFrames < i) {
            candidates.pop_front();
        }
        floor[i] = std::isinf(levels[candidates.front()]) ? kSilenceDb : levels[candidates.front()];
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
