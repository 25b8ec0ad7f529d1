#include "incident/limiter.h"

#include <algorithm>
#include <cmath>

namespace voice::incident {
namespace {

// Frames per unit: the gain is worked out once per unit, and moves smoothly within it.
constexpr std::size_t kUnit = 8;

} // namespace

Limiter::Limiter(int channels, std::size_t lookahead, float ceiling, float releasePerFrame)
    : channels_(static_cast<std::size_t>(channels)),
      lookahead_(std::max<std::size_t>((lookahead + kUnit - 1) / kUnit, 1)), ceiling_(ceiling),
      release_(releasePerFrame * kUnit), toSkip_(lookahead_ + 1), needs_(2 * lookahead_ + 1, 1.0f),
      least_(lookahead_, 1.0f), delayed_((lookahead_ + 1) * kUnit * channels_, 0.0f) {}

void Limiter::Process(std::span<const float> frames, std::vector<float>& out) {
    input_.insert(input_.end(), frames.begin(), frames.end());
    const std::size_t units = input_.size() / (kUnit * channels_);
    if (units == 0)
        return;
    Units(units, out);
    input_.erase(input_.begin(),
                 input_.begin() + static_cast<std::ptrdiff_t>(units * kUnit * channels_));
}

void Limiter::Units(std::size_t m, std::vector<float>& out) {
    const std::size_t L = lookahead_, C = channels_, frame = kUnit * C;
    // Each new unit's need: what its loudest sample allows.
    needs_.resize(2 * L + 1 + m);
    bool limited = false;
    for (std::size_t u = 0; u < m; ++u) {
        const float* at = input_.data() + u * frame;
        float peak = 0;
        for (std::size_t i = 0; i < frame; ++i)
            peak = std::max(peak, std::abs(at[i]));
        const float need = peak > ceiling_ ? ceiling_ / peak : 1.0f;
        needs_[2 * L + 1 + u] = need;
        limited |= need < 1.0f;
    }
    auto below = [](float v) { return v < 1.0f; };
    limited = limited || gain_ < 1.0f ||
              std::any_of(needs_.begin(), needs_.begin() + static_cast<std::ptrdiff_t>(2 * L + 1),
                          below) ||
              std::any_of(least_.begin(), least_.end(), below);

    const std::size_t skip = std::min(toSkip_, m);
    toSkip_ -= skip;
    delayed_.insert(delayed_.end(), input_.begin(),
                    input_.begin() + static_cast<std::ptrdiff_t>(m * frame));
    const std::size_t first = out.size();
    out.resize(first + (m - skip) * frame);
    float* to = out.data() + first;
    if (!limited) { // nothing to limit: the frames only pass the delay
        std::copy(delayed_.begin() + static_cast<std::ptrdiff_t>(skip * frame),
                  delayed_.begin() + static_cast<std::ptrdiff_t>(m * frame), to);
        least_.assign(L, 1.0f);
    } else {
        // The least need over each window of 2L + 2 units, from L before the unit out to
        // L + 1 after it (van Herk / Gil-Werman: prefix and suffix minima per stretch).
        const std::size_t w = 2 * L + 2, size = needs_.size();
        prefix_.resize(size);
        suffix_.resize(size);
        for (std::size_t start = 0; start < size; start += w) {
            const std::size_t end = std::min(start + w, size);
            prefix_[start] = needs_[start];
            for (std::size_t i = start + 1; i < end; ++i)
                prefix_[i] = std::min(prefix_[i - 1], needs_[i]);
            suffix_[end - 1] = needs_[end - 1];
            for (std::size_t i = end - 1; i-- > start;)
                suffix_[i] = std::min(suffix_[i + 1], needs_[i]);
        }
        least_.resize(L + m);
        for (std::size_t t = 0; t < m; ++t)
            least_[L + t] = std::min(suffix_[t], prefix_[t + w - 1]);
        // The gain: the mean of the last L + 1 least needs, recovering at most by the
        // release. Both it and the unit before's are below every need of this unit.
        double sum = 0;
        for (std::size_t k = 0; k <= L; ++k)
            sum += least_[k];
        gains_.resize(m + 1);
        gains_[0] = gain_;
        for (std::size_t t = 0; t < m; ++t) {
            if (t > 0)
                sum += least_[L + t] - least_[t - 1];
            const auto mean = static_cast<float>(sum / static_cast<double>(L + 1));
            gains_[t + 1] = std::min({mean, gains_[t] + release_, 1.0f});
        }
        gain_ = gains_[m];
        for (std::size_t t = skip; t < m; ++t) {
            const float* from = delayed_.data() + t * frame;
            const float g0 = gains_[t], step = (gains_[t + 1] - g0) / kUnit;
            for (std::size_t f = 0; f < kUnit; ++f) {
                const float g =
                    f + 1 == kUnit ? gains_[t + 1] : g0 + step * static_cast<float>(f + 1);
                for (std::size_t c = 0; c < C; ++c)
                    // Rounding must never let a sample past the ceiling.
                    *to++ = std::clamp(from[f * C + c] * g, -ceiling_, ceiling_);
            }
        }
        least_.erase(least_.begin(), least_.end() - static_cast<std::ptrdiff_t>(L));
    }
    needs_.erase(needs_.begin(), needs_.end() - static_cast<std::ptrdiff_t>(2 * L + 1));
    delayed_.erase(delayed_.begin(), delayed_.end() - static_cast<std::ptrdiff_t>((L + 1) * frame));
}

void Limiter::Finish(std::vector<float>& out) {
    const std::vector<float> silence((lookahead_ + 2) * kUnit * channels_, 0.0f);
    Process(silence, out);
}

} // namespace voice::incident
