#include "review/time_stretch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace voice::review {
namespace {

using Index = std::ptrdiff_t;

// Lengths in samples at one sample rate.
struct Geometry {
    Index hop;   // one output block (15 ms); each piece of the source spans two blocks
    Index reach; // how far a piece may move from its nominal place: over half the period
                 // of the lowest voice (90 Hz), so an in-phase place is always in reach
    Index step;  // decimation of the coarse search: about 2000 samples per second keep
                 // the voice's fundamental and first harmonics, a quarter of the work at 7860 Hz
};

Geometry GeometryFor(int sampleRate) {
    Geometry g{};
    g.step = std::clamp<Index>(std::lround(sampleRate / 2000.0), 1, 32);
    // Whole multiples of the decimation step, so the coarse grid lands on samples.
    const auto inSteps = [&](double seconds, Index minimum) {
        return std::max<Index>(minimum, std::lround(seconds * sampleRate / g.step)) * g.step;
    };
    g.hop = inSteps(0.015, 4);
    g.reach = inSteps(0.0065, 1);
    return g;
}

// Four partial sums: independent chains the compiler can keep in vector registers.
float Dot(const float* a, const float* b, Index n) {
    float s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    Index i = 0;
    for (; i + 4 <= n; i += 4) {
        s0 += a[i] * b[i];
        s1 += a[i + 1] * b[i + 1];
        s2 += a[i + 2] * b[i + 2];
        s3 += a[i + 3] * b[i + 3];
    }
    for (; i < n; ++i) {
        s0 += a[i] * b[i];
    }
    return (s0 + s1) + (s2 + s3);
}

void Decimate(const float* from, Index count, Index step, float* into) {
    for (Index i = 0; i < count; ++i, from += step) {
        float sum = 0;
        for (Index q = 0; q < step; ++q) {
            sum += from[q];
        }
        into[i] = sum;
    }
}

// One stretch of one recording. Every buffer is sized once here: nothing is allocated
// per block.
class Stretcher {
public:
    Stretcher(std::span<const float> source, int sampleRate, double speed)
        : x_(source.data()), n_(static_cast<Index>(source.size())), g_(GeometryFor(sampleRate)),
          speed_(speed), fadeIn_(g_.hop), target_(g_.hop / g_.step),
          candidates_((2 * g_.reach + g_.hop) / g_.step + 1), edgeA_(g_.hop), edgeB_(g_.hop) {
        // Raised-cosine fade: fade-in and fade-out sum to one at every sample, so a steady
        // sound keeps its level through every crossfade.
        for (Index i = 0; i < g_.hop; ++i) {
            const double s = std::sin(std::numbers::pi * (i + 0.5) / (2.0 * g_.hop));
            fadeIn_[i] = static_cast<float>(s * s);
        }
    }

    void Run(std::span<float> out) {
        const Index m = static_cast<Index>(out.size());
        const Index hop = g_.hop;
        const float* first = Piece(0, edgeA_.data());
        std::copy_n(first, std::min(hop, m), out.data());
        Index previous = 0;
        for (Index k = 1; k * hop < m; ++k) {
            const Index nominal = std::llround(static_cast<double>(k * hop) * speed_);
            const Index continuation = previous + hop;
            const Index next = BestStart(continuation, nominal);
            const float* a = Piece(continuation, edgeA_.data());
            const float* b = Piece(next, edgeB_.data());
            float* o = out.data() + k * hop;
            const Index count = std::min(hop, m - k * hop);
            const float* w = fadeIn_.data();
            for (Index i = 0; i < count; ++i) {
                o[i] = a[i] + w[i] * (b[i] - a[i]);
            }
            previous = next;
        }
    }

private:
    // hop samples from start on; beyond either end of the recording they are silence.
    const float* Piece(Index start, float* edge) const {
        if (start >= 0 && start + g_.hop <= n_) {
            return x_ + start;
        }
        for (Index i = 0; i < g_.hop; ++i) {
            const Index at = start + i;
            edge[i] = at >= 0 && at < n_ ? x_[at] : 0.0f;
        }
        return edge;
    }

    // Where the next piece starts: near its nominal place, where its beginning best
    // matches the continuation of the piece being faded out.
    Index BestStart(Index continuation, Index nominal) {
        const Index hop = g_.hop, step = g_.step;
        const Index last = n_ - hop; // the last start of a whole piece
        if (last < 0) {
            return nominal;
        }
        const Index lo = std::clamp<Index>(nominal - g_.reach, 0, last);
        const Index hi = std::clamp<Index>(nominal + g_.reach, 0, last);
        const Index home = std::clamp<Index>(nominal, lo, hi);
        if (continuation > last || hi - lo < step) {
            return home;
        }
        // Coarse: normalised correlation on the decimated signal, every step-th start.
        const Index length = hop / step;
        const Index lags = (hi - lo) / step + 1;
        Decimate(x_ + continuation, length, step, target_.data());
        if (Dot(target_.data(), target_.data(), length) <= 1e-12f) {
            return home; // nothing to match: silence stays where it belongs
        }
        Decimate(x_ + lo, lags - 1 + length, step, candidates_.data());
        const float* c = candidates_.data();
        float energy = Dot(c, c, length);
        Index coarse = 0;
        float best = -2.0f;
        for (Index lag = 0; lag < lags; ++lag) {
            const float score =
                Dot(target_.data(), c + lag, length) / std::sqrt(std::max(energy, 0.0f) + 1e-12f);
            if (score > best) {
                best = score;
                coarse = lag;
            }
            if (lag + 1 < lags) {
                energy += c[lag + length] * c[lag + length] - c[lag] * c[lag];
            }
        }
        const Index around = lo + coarse * step;
        if (step == 1) {
            return around;
        }
        // Fine: the same measure at the full rate, within half a coarse step.
        const Index from = std::max(lo, around - step / 2);
        const Index to = std::min(hi, around + step / 2);
        const float* t = x_ + continuation;
        float fineEnergy = Dot(x_ + from, x_ + from, hop);
        Index fine = from;
        best = -2.0f;
        for (Index p = from; p <= to; ++p) {
            const float score =
                Dot(t, x_ + p, hop) / std::sqrt(std::max(fineEnergy, 0.0f) + 1e-12f);
            if (score > best) {
                best = score;
                fine = p;
            }
            if (p < to) {
                fineEnergy += x_[p + hop] * x_[p + hop] - x_[p] * x_[p];
            }
        }
        return fine;
    }

    const float* x_;
    Index n_;
    Geometry g_;
    double speed_;
    std::vector<float> fadeIn_;
    std::vector<float> target_;
    std::vector<float> candidates_;
    std::vector<float> edgeA_, edgeB_;
};

} // namespace

double UsableSpeed(double speed) noexcept {
    if (std::isnan(speed)) {
        return 1.0;
    }
    return std::clamp(speed, kSlowestSpeed, kFastestSpeed);
}

std::size_t StretchedLength(std::size_t inputLength, double speed) noexcept {
    return static_cast<std::size_t>(
        std::llround(static_cast<double>(inputLength) / UsableSpeed(speed)));
}

std::vector<float> TimeStretch(std::span<const float> samples, int sampleRate, double speed) {
    speed = UsableSpeed(speed);
    if (speed == 1.0) {
        return {samples.begin(), samples.end()};
    }
    std::vector<float> out(StretchedLength(samples.size(), speed));
    if (!out.empty()) {
        Stretcher(samples, sampleRate, speed).Run(out);
    }
    return out;
}

} // namespace voice::review
