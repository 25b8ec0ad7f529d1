#include "review_signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace voice::review::test {

std::vector<float> Voiced(double f0, double seconds, double rms, int rate) {
    const auto n = static_cast<std::size_t>(seconds * rate);
    std::vector<double> wave(n);
    double phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double f = f0 * (1.0 + 0.02 * std::sin(2 * std::numbers::pi * 5.0 * t));
        double s = 0;
        for (int k = 1; k * f0 * 1.03 < 0.45 * rate; ++k) {
            s += std::sin(k * phase) / k;
        }
        wave[i] = s;
        phase += 2 * std::numbers::pi * f / rate;
    }
    double energy = 0;
    for (const double s : wave) {
        energy += s * s;
    }
    const double scale = rms / std::sqrt(energy / static_cast<double>(std::max<std::size_t>(n, 1)));
    std::vector<float> out(n);
    std::transform(wave.begin(), wave.end(), out.begin(),
                   [&](double s) { return static_cast<float>(s * scale); });
    return out;
}

std::vector<float> Noise(double seconds, double rms, unsigned seed, int rate) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<float> out(static_cast<std::size_t>(seconds * rate));
    // Four uniforms have variance 4/3.
    const double scale = rms / std::sqrt(4.0 / 3.0);
    for (float& s : out) {
        s = static_cast<float>((uniform(rng) + uniform(rng) + uniform(rng) + uniform(rng)) * scale);
    }
    return out;
}

void Append(std::vector<float>& a, std::span<const float> b) {
    a.insert(a.end(), b.begin(), b.end());
}

double FundamentalHz(std::span<const float> samples, int rate) {
    const auto window = static_cast<std::size_t>(0.06 * rate);
    const auto shortest = static_cast<std::size_t>(rate / 400.0);
    const auto longest = static_cast<std::size_t>(rate / 70.0);
    double sum = 0;
    int windows = 0;
    for (std::size_t at = 0; at + window + longest + 1 < samples.size(); at += window / 2) {
        std::vector<double> r(longest + 2);
        for (std::size_t lag = shortest - 1; lag <= longest + 1; ++lag) {
            double xy = 0, xx = 0, yy = 0;
            for (std::size_t i = 0; i < window; ++i) {
                const double x = samples[at + i], y = samples[at + i + lag];
                xy += x * y;
                xx += x * x;
                yy += y * y;
            }
            r[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
        }
        const double best = *std::max_element(r.begin() + shortest, r.begin() + longest + 1);
        if (best < 0.8) {
            continue; // not voiced
        }
        // The shortest lag at a peak near the best: the period, not a multiple of it.
        std::size_t lag = shortest;
        while (!(r[lag] >= 0.95 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1])) {
            ++lag;
        }
        const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
        const double shift = (a - c) / (2 * (a - 2 * b + c));
        sum += rate / (static_cast<double>(lag) + (std::isfinite(shift) ? shift : 0.0));
        ++windows;
    }
    return windows > 0 ? sum / windows : 0.0;
}

float LargestStep(std::span<const float> samples) {
    float step = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        step = std::max(step, std::fabs(samples[i] - samples[i - 1]));
    }
    return step;
}

float Peak(std::span<const float> samples) {
    float peak = 0;
    for (const float s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    return peak;
}

double RmsDb(std::span<const float> samples) {
    double energy = 0;
    for (const float s : samples) {
        energy += static_cast<double>(s) * s;
    }
    return 10.0 *
           std::log10(energy / static_cast<double>(std::max<std::size_t>(samples.size(), 1)) +
                      1e-30);
}

} // namespace voice::review::test
