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
    struct Collect final : StretchSink {
        void Take(std::span<const float> piece) override {
            out.insert(out.end(), piece.begin(), piece.end());
        }
        std::vector<float> out;
    } collect;
    collect.out.reserve(StretchedLength(samples.size(), speed));
    StretchStream stream(sampleRate, speed);
    stream.Push(samples, collect);
    stream.Finish(collect);
    return std::move(collect.out);
}

namespace {
// The source is taken in pieces of this many samples, and the output handed on in pieces
// of about this many: both stay in the processor's cache.
constexpr std::ptrdiff_t kPiece = 8192;
} // namespace

StretchStream::StretchStream(int sampleRate, double speed) : speed_(UsableSpeed(speed)) {
    const Geometry g = GeometryFor(sampleRate);
    hop_ = g.hop;
    reach_ = g.reach;
    step_ = g.step;
    // Raised-cosine fade: fade-in and fade-out sum to one at every sample, so a steady
    // sound keeps its level through every crossfade.
    fadeIn_.resize(static_cast<std::size_t>(hop_));
    for (Index i = 0; i < hop_; ++i) {
        const double s = std::sin(std::numbers::pi * (static_cast<double>(i) + 0.5) / (2.0 * hop_));
        fadeIn_[i] = static_cast<float>(s * s);
    }
    target_.resize(static_cast<std::size_t>(hop_ / step_));
    candidates_.resize(static_cast<std::size_t>((2 * reach_ + hop_) / step_ + 1));
    edgeA_.resize(static_cast<std::size_t>(hop_));
    edgeB_.resize(static_cast<std::size_t>(hop_));
    window_.reserve(static_cast<std::size_t>(2 * kPiece + 8 * (hop_ + reach_)));
    out_.reserve(static_cast<std::size_t>(kPiece + hop_));
}

void StretchStream::Push(std::span<const float> samples, StretchSink& sink) {
    while (!samples.empty()) {
        const auto count = std::min(samples.size(), static_cast<std::size_t>(kPiece));
        Append(samples.first(count), sink);
        samples = samples.subspan(count);
    }
    Flush(sink);
}

void StretchStream::PushU8(std::span<const std::uint8_t> samples, StretchSink& sink) {
    converted_.resize(static_cast<std::size_t>(kPiece));
    while (!samples.empty()) {
        const auto count = std::min(samples.size(), static_cast<std::size_t>(kPiece));
        for (std::size_t i = 0; i < count; ++i) {
            converted_[i] =
                static_cast<float>(static_cast<int>(samples[i]) - 128) * (1.0f / 128.0f);
        }
        Append(std::span(converted_).first(count), sink);
        samples = samples.subspan(count);
    }
    Flush(sink);
}

void StretchStream::Finish(StretchSink& sink) {
    length_ = static_cast<Index>(StretchedLength(static_cast<std::size_t>(received_), speed_));
    RunBlocks(true, sink);
    Flush(sink);
}

void StretchStream::Append(std::span<const float> samples, StretchSink& sink) {
    window_.insert(window_.end(), samples.begin(), samples.end());
    received_ += static_cast<Index>(samples.size());
    RunBlocks(false, sink);
    Compact();
}

StretchStream::Index StretchStream::Nominal(Index block) const {
    return std::llround(static_cast<double>(block * hop_) * speed_);
}

// Each block is a crossfade from the continuation of the piece before to a new piece
// found near the block's nominal place. Before the source's end is known, a block is made
// only when everything it may look at has arrived, so the result is the same however
// the source is cut into pieces.
void StretchStream::RunBlocks(bool final, StretchSink& sink) {
    for (;;) {
        if (final ? block_ * hop_ >= length_
                  : Nominal(block_ + 1) + reach_ + 2 * hop_ > received_) {
            return;
        }
        const Index count = final ? std::min(hop_, length_ - block_ * hop_) : hop_;
        const std::size_t at = out_.size();
        out_.resize(at + static_cast<std::size_t>(count));
        float* o = out_.data() + at;
        if (block_ == 0) {
            std::copy_n(Piece(0, edgeA_.data()), count, o);
        } else {
            const Index continuation = previous_ + hop_;
            const Index next = BestStart(continuation, Nominal(block_));
            const float* a = Piece(continuation, edgeA_.data());
            const float* b = Piece(next, edgeB_.data());
            const float* w = fadeIn_.data();
            for (Index i = 0; i < count; ++i) {
                o[i] = a[i] + w[i] * (b[i] - a[i]);
            }
            previous_ = next;
        }
        ++block_;
        if (static_cast<Index>(out_.size()) >= kPiece) {
            Flush(sink);
        }
    }
}

void StretchStream::Flush(StretchSink& sink) {
    if (!out_.empty()) {
        sink.Take(out_);
        out_.clear();
    }
}

// Drops the source no later block can reach: before both the next continuation and the
// next block's search.
void StretchStream::Compact() {
    const Index keepFrom = std::max<Index>(
        0, std::min({previous_ + hop_, Nominal(block_) - reach_, received_ - 4 * (hop_ + reach_)}));
    const Index drop = keepFrom - base_;
    if (drop < kPiece) {
        return;
    }
    window_.erase(window_.begin(), window_.begin() + drop);
    base_ = keepFrom;
}

// hop samples from start on; beyond either end of the source they are silence.
const float* StretchStream::Piece(Index start, float* edge) const {
    if (start >= base_ && start + hop_ <= received_) {
        return window_.data() + (start - base_);
    }
    for (Index i = 0; i < hop_; ++i) {
        const Index at = start + i;
        edge[i] =
            at >= base_ && at < received_ ? window_[static_cast<std::size_t>(at - base_)] : 0.0f;
    }
    return edge;
}

// Where the next piece starts: near its nominal place, where its beginning best matches
// the continuation of the piece being faded out.
StretchStream::Index StretchStream::BestStart(Index continuation, Index nominal) {
    const Index hop = hop_, step = step_;
    const Index last = received_ - hop; // the last start of a whole piece
    if (last < base_) {
        return nominal;
    }
    const Index lo = std::clamp<Index>(nominal - reach_, base_, last);
    const Index hi = std::clamp<Index>(nominal + reach_, base_, last);
    const Index home = std::clamp<Index>(nominal, lo, hi);
    if (continuation > last || continuation < base_ || hi - lo < step) {
        return home;
    }
    const auto x = [&](Index position) { return window_.data() + (position - base_); };
    // Coarse: normalised correlation on the decimated signal, every step-th start.
    const Index length = hop / step;
    const Index lags = (hi - lo) / step + 1;
    Decimate(x(continuation), length, step, target_.data());
    if (Dot(target_.data(), target_.data(), length) <= 1e-12f) {
        return home; // nothing to match: silence stays where it belongs
    }
    Decimate(x(lo), lags - 1 + length, step, candidates_.data());
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
    const float* t = x(continuation);
    float fineEnergy = Dot(x(from), x(from), hop);
    Index fine = from;
    best = -2.0f;
    for (Index p = from; p <= to; ++p) {
        const float score = Dot(t, x(p), hop) / std::sqrt(std::max(fineEnergy, 0.0f) + 1e-12f);
        if (score > best) {
            best = score;
            fine = p;
        }
        if (p < to) {
            fineEnergy += *x(p + hop) * *x(p + hop) - *x(p) * *x(p);
        }
    }
    return fine;
}

} // namespace voice::review
