#include "review/frame_levels.h"

#include <algorithm>
#include <cmath>

namespace voice::review {

std::vector<float> FrameLevelsDb(std::span<const float> samples, std::size_t frameLength) {
    std::vector<float> levels;
    levels.reserve(samples.size() / frameLength + 1);
    for (std::size_t at = 0; at < samples.size(); at += frameLength) {
        const std::size_t count = std::min(frameLength, samples.size() - at);
        double sum = 0;
        for (std::size_t i = 0; i < count; ++i) {
            sum += static_cast<double>(samples[at + i]) * samples[at + i];
        }
        const double db = 10.0 * std::log10(sum / static_cast<double>(count) + 1e-13);
        // Samples outside [-1, 1] or not numbers at all still give an ordered level.
        levels.push_back(std::isnan(db) ? kSilenceDb
                                        : static_cast<float>(std::clamp(db, -120.0, 100.0)));
    }
    return levels;
}

float PercentileDb(std::span<const float> levels, double fraction) {
    if (levels.empty()) {
        return kSilenceDb;
    }
    std::vector<float> sorted(levels.begin(), levels.end());
    const auto k = static_cast<std::size_t>(
        std::clamp(fraction, 0.0, 1.0) * static_cast<double>(sorted.size() - 1) + 0.5);
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(k), sorted.end());
    return sorted[k];
}

std::size_t FrameLength(int sampleRate, double seconds) {
    return static_cast<std::size_t>(std::max(1L, std::lround(sampleRate * seconds)));
}

} // namespace voice::review
