#include "incident/limiter.h"

#include <algorithm>
#include <cmath>

namespace voice::incident {
namespace {

// Frames per unit: the gain is worked out once per unit, and moves smoothly within it.
constexpr std::size_t kUnit = 8;

// The largest magnitude among count samples (a multiple of 8), in eight lanes so that
// the loop vectorises.
float Peak(const float* at, std::size_t count) {
    float lanes[8] = {};
    for (std::size_t i = 0; i < count; i += 8)
        for (std::size_t k = 0; k < 8; ++k)
            lanes[k] = std::max(lanes[k], std::abs(at[i + k]));
    for (std::size_t half = 4; half > 0; half /= 2)
        for (std::size_t k = 0; k < half; ++k)
            lanes[k] = std::max(lanes[k], lanes[k + half]);
    return lanes[0];
}

// Frames of channels at their own gains; rounding must never let a sample past the
// ceiling. Plain min and max, so that the loop vectorises; C, when not 0, is channels known
// to the compiler.
template <std::size_t C>
void ApplyGains(std::size_t channels, const float* from, const float* gains, std::size_t frames,
                float ceiling, float* to) {
    const std::size_t n = C ? C : channels;
    for (std::size_t f = 0; f < frames; ++f)
        for (std::size_t c = 0; c < n; ++c)
            to[f * n + c] = std::min(std::max(from[f * n + c] * gains[f], -ceiling), ceiling);
}

void ApplyGains(std::size_t channels, const float* from, const float* gains, std::size_t frames,
                float ceiling, float* to) {
    if (channels == 2)
        return ApplyGains<2>(channels, from, gains, frames, ceiling, to);
    if (channels == 1)
        return ApplyGains<1>(channels, from, gains, frames, ceiling, to);
    ApplyGains<0>(channels, from, gains, frames, ceiling, to);
}

} // namespace

Limiter::Limiter(int channels, std::size_t lookahead, float ceiling, float releasePerFrame)
    : channels_(static_cast<std::size_t>(channels)),
      lookahead_(std::max<std::size_t>((lookahead + kUnit - 1) / kUnit, 1)), ceiling_(ceiling),
      release_(releasePerFrame * kUnit), toSkip_(lookahead_ + 1), needs_(2 * lookahead_ + 1, 1.0f),
      least_(lookahead_, 1.0f), delayed_((lookahead_ + 1) * kUnit * channels_, 0.0f) {}

void Limiter::Process(std::span<const float> frames, std::vector<float>& out) {
    const std::size_t unit = kUnit * channels_;
    if (!input_.empty()) { // a unit begun by the call before is completed first
        const std::size_t take = std::min(frames.size(), unit - input_.size());
        input_.insert(input_.end(), frames.begin(),
                      frames.begin() + static_cast<std::ptrdiff_t>(take));
        frames = frames.subspan(take);
        if (input_.size() < unit)
            return;
        Units(input_.data(), 1, out);
        input_.clear();
    }
    const std::size_t units = frames.size() / unit;
    if (units > 0)
        Units(frames.data(), units, out);
    input_.assign(frames.begin() + static_cast<std::ptrdiff_t>(units * unit), frames.end());
}

// The new frames are read where they are: a unit goes out lookahead + 1 units after it
// came in, from the held tail (delayed_) or from in itself.
void Limiter::Units(const float* in, std::size_t m, std::vector<float>& out) {
    const std::size_t L = lookahead_, C = channels_, frame = kUnit * C, held = L + 1;
    const auto unitAt = [&](std::size_t t) {
        return t < held ? delayed_.data() + t * frame : in + (t - held) * frame;
    };
    // Each new unit's need: what its loudest sample allows.
    needs_.resize(2 * L + 1 + m);
    bool limited = false;
    for (std::size_t u = 0; u < m; ++u) {
        const float peak = Peak(in + u * frame, frame);
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
    const std::size_t first = out.size();
    out.resize(first + (m - skip) * frame);
    float* to = out.data() + first;
    if (!limited) { // nothing to limit: the frames only pass the delay
        for (std::size_t t = skip; t < m;) {
            // Runs of units lying together: the held ones, then the new ones.
            const std::size_t end = t < held ? std::min(held, m) : m;
            to = std::copy(unitAt(t), unitAt(t) + (end - t) * frame, to);
            t = end;
        }
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
        // release. Both it and the unit before's are below every need of this unit. Each
        // mean is summed afresh, so the gains do not depend on how the frames arrived.
        // (The sums are built term by term across all units, so that they vectorise.)
        sums_.assign(m, 0.0);
        for (std::size_t k = 0; k <= L; ++k)
            for (std::size_t t = 0; t < m; ++t)
                sums_[t] += least_[t + k];
        gains_.resize(m + 1);
        for (std::size_t t = 0; t < m; ++t)
            gains_[t + 1] = static_cast<float>(sums_[t] / static_cast<double>(L + 1));
        gains_[0] = gain_;
        for (std::size_t t = 0; t < m; ++t) // a mean of needs is never above 1
            gains_[t + 1] = std::min(gains_[t + 1], gains_[t] + release_);
        gain_ = gains_[m];
        // Each frame's gain, moving in a straight line through the unit, then the frames
        // at them: the held ones, then the new ones.
        frameGains_.resize((m - skip) * kUnit);
        float* g = frameGains_.data();
        for (std::size_t t = skip; t < m; ++t, g += kUnit) {
            const float g0 = gains_[t], step = (gains_[t + 1] - g0) / kUnit;
            for (std::size_t f = 0; f < kUnit; ++f)
                g[f] = g0 + step * static_cast<float>(f + 1);
            g[kUnit - 1] = gains_[t + 1];
        }
        for (std::size_t t = skip; t < m;) {
            const std::size_t end = t < held ? std::min(held, m) : m;
            ApplyGains(C, unitAt(t), frameGains_.data() + (t - skip) * kUnit, (end - t) * kUnit,
                       ceiling_, to);
            to += (end - t) * frame;
            t = end;
        }
        least_.erase(least_.begin(), least_.end() - static_cast<std::ptrdiff_t>(L));
    }
    needs_.erase(needs_.begin(), needs_.end() - static_cast<std::ptrdiff_t>(2 * L + 1));
    // The last lookahead + 1 units are held for the next call.
    if (m >= held) {
        std::copy(in + (m - held) * frame, in + m * frame, delayed_.begin());
    } else {
        std::copy(delayed_.begin() + static_cast<std::ptrdiff_t>(m * frame), delayed_.end(),
                  delayed_.begin());
        std::copy(in, in + m * frame, delayed_.end() - static_cast<std::ptrdiff_t>(m * frame));
    }
}

void Limiter::Finish(std::vector<float>& out) {
    const std::vector<float> silence((lookahead_ + 2) * kUnit * channels_, 0.0f);
    Process(silence, out);
}

} // namespace voice::incident
