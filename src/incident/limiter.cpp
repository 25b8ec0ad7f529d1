#include "incident/limiter.h"

#include <algorithm>
#include <cmath>

namespace voice::incident {

Limiter::Limiter(int channels, std::size_t lookahead, float ceiling, float releasePerFrame)
    : channels_(static_cast<std::size_t>(channels)), lookahead_(std::max<std::size_t>(lookahead, 1)),
      ceiling_(ceiling), release_(releasePerFrame) {
    needs_.assign(lookahead_ + 1, 1.0f);
    needSum_ = static_cast<double>(lookahead_ + 1);
    delayed_.assign(lookahead_ * channels_, 0.0f);
}

void Limiter::Push(const float* frame, std::vector<float>& out) {
    float peak = 0;
    for (std::size_t c = 0; c < channels_; ++c)
        peak = std::max(peak, std::abs(frame[c]));
    const float need = peak > ceiling_ ? ceiling_ / peak : 1.0f;
    // The least need of the last 2 * lookahead + 1 frames: that of the frame lookahead back
    // and its neighbours on either side.
    while (!minima_.empty() && minima_.back().second >= need)
        minima_.pop_back();
    minima_.emplace_back(count_, need);
    if (count_ >= 2 * lookahead_ + 1 && minima_.front().first <= count_ - 2 * lookahead_ - 1)
        minima_.pop_front();
    ++count_;
    const float least = minima_.front().second;
    needSum_ += least - needs_.front();
    needs_.pop_front();
    needs_.push_back(least);
    const float mean = static_cast<float>(needSum_ / static_cast<double>(needs_.size()));
    gain_ = std::min({mean, gain_ + release_, 1.0f});

    // The first lookahead frames out would be the silence the delay starts with.
    const bool ready = count_ > lookahead_;
    for (std::size_t c = 0; c < channels_; ++c) {
        const float v = delayed_.front() * gain_;
        delayed_.pop_front();
        // The mean's rounding must never let a sample past the ceiling.
        if (ready)
            out.push_back(std::clamp(v, -ceiling_, ceiling_));
        delayed_.push_back(frame[c]);
    }
}

void Limiter::Process(std::span<const float> frames, std::vector<float>& out) {
    for (std::size_t i = 0; i + channels_ <= frames.size(); i += channels_)
        Push(frames.data() + i, out);
}

void Limiter::Finish(std::vector<float>& out) {
    const std::vector<float> silence(channels_, 0.0f);
    for (std::size_t i = 0; i < lookahead_; ++i)
        Push(silence.data(), out);
}

} // namespace voice::incident
