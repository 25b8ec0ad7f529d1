#include "incident/resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace voice::incident {
namespace {

constexpr int kZeroCrossings = 24; // of the sinc on either side
constexpr int kPhases = 512;
constexpr double kBeta = 8.0;      // about 80 dB of stopband
constexpr double kPassband = 0.92; // of half the lower rate: room for the transition
constexpr std::int64_t kMostPhases = 4096;

double BesselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

} // namespace

Resampler::Resampler(std::unique_ptr<SampleSource> input, int inRate, int outRate)
    : input_(std::move(input)), inRate_(inRate), outRate_(outRate) {
    // Cut-off as a fraction of the input's half rate.
    const double cutoff = kPassband * std::min(1.0, static_cast<double>(outRate) / inRate);
    scale_ = cutoff;
    gain_ = cutoff;
    halfWidth_ = static_cast<int>(std::ceil(kZeroCrossings / cutoff));
    table_.resize(static_cast<std::size_t>(kZeroCrossings * kPhases + 2));
    const double norm = BesselI0(kBeta);
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const double x = static_cast<double>(i) / kPhases; // in zero crossings
        const double r = x / kZeroCrossings;
        const double window = r < 1 ? BesselI0(kBeta * std::sqrt(1 - r * r)) / norm : 0.0;
        const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        table_[i] = static_cast<float>(sinc * window);
    }
    const std::int64_t phases = outRate_ / std::gcd(inRate_, outRate_);
    if (phases <= kMostPhases) {
        phaseStep_ = outRate_ / phases;
        const auto width = static_cast<std::size_t>(2 * halfWidth_);
        taps_.resize(static_cast<std::size_t>(phases) * width);
        for (std::int64_t p = 0; p < phases; ++p) {
            const double frac = static_cast<double>(p * phaseStep_) / static_cast<double>(outRate_);
            for (std::size_t k = 0; k < width; ++k)
                taps_[static_cast<std::size_t>(p) * width + k] = static_cast<float>(
                    Kernel(static_cast<double>(halfWidth_ - 1) - static_cast<double>(k) + frac) *
                    gain_);
        }
    }
}

double Resampler::Kernel(double distance) const {
    const double x = std::abs(distance) * scale_ * kPhases;
    const auto k = static_cast<std::size_t>(x);
    if (k + 1 >= table_.size())
        return 0;
    const double t = x - static_cast<double>(k);
    return table_[k] + (table_[k + 1] - table_[k]) * t;
}

float Resampler::Tabulated() const {
    const auto width = static_cast<std::size_t>(2 * halfWidth_);
    const float* taps = taps_.data() + static_cast<std::size_t>(rem_ / phaseStep_) * width;
    const float* in = held_.data() + (whole_ - halfWidth_ + 1 - heldFrom_);
    float sum = 0;
    for (std::size_t k = 0; k < width; ++k)
        sum += taps[k] * in[k];
    return sum;
}

bool Resampler::Ensure(std::int64_t last) {
    while (!ended_ && inputFrames_ <= last) {
        float block[1024];
        const std::size_t n = input_->Read(block);
        held_.insert(held_.end(), block, block + n);
        inputFrames_ += static_cast<std::int64_t>(n);
        if (n < std::size(block))
            ended_ = true;
    }
    return inputFrames_ > last || ended_;
}

float Resampler::Interpolated() const {
    const double frac = static_cast<double>(rem_) / static_cast<double>(outRate_);
    double sum = 0;
    for (std::int64_t j = whole_ - halfWidth_ + 1; j <= whole_ + halfWidth_; ++j)
        if (j >= 0 && j < inputFrames_)
            sum += Kernel(static_cast<double>(whole_ - j) + frac) *
                   held_[static_cast<std::size_t>(j - heldFrom_)];
    return static_cast<float>(sum * gain_);
}

std::size_t Resampler::Read(std::span<float> into) {
    std::size_t done = 0;
    while (done < into.size()) {
        Ensure(whole_ + halfWidth_);
        // The output ends where the input's last sample would have been followed.
        if (ended_ && whole_ >= inputFrames_)
            break;
        // Inside the input, with a phase table, the plain dot product.
        const bool inside = whole_ - halfWidth_ + 1 >= 0 && whole_ + halfWidth_ < inputFrames_;
        into[done++] = inside && !taps_.empty() ? Tabulated() : Interpolated();
        rem_ += inRate_;
        whole_ += rem_ / outRate_;
        rem_ %= outRate_;
        // Drop what no later output instant reaches.
        const std::int64_t keepFrom = whole_ - halfWidth_ + 1;
        if (keepFrom - heldFrom_ > 4096) {
            held_.erase(held_.begin(), held_.begin() + (keepFrom - heldFrom_));
            heldFrom_ = keepFrom;
        }
    }
    return done;
}

} // namespace voice::incident
