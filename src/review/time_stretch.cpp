#include "review/time_stretch.h"

#include "review/review_pipeline.h"
#include "review/sample_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace voice::review {
namespace {

using Index = std::ptrdiff_t;

// The source is taken in pieces of this many samples, and the output handed on in pieces
// of about this many: both stay in the processor's cache.
constexpr Index kPiece = 8192;

// Room past the samples and sums the search compares: Correlate reads up to three starts
// beyond the last it is asked for, in its last group of four.
constexpr Index kSlack = 16;

// The search's coarsest step: sums of at most 1/900 s (8 samples at 7860 Hz, about 1000
// sums per second) keep the fundamental of every voice (up to 300 Hz) for finding the
// period; a power of two, so each finer level (an eighth of the step) lands on the
// coarser one's grid.
Index CoarsestStep(int sampleRate) {
    Index step = 1;
    while (step < 64 && step * 2 * 900 <= sampleRate) {
        step *= 2;
    }
    return step;
}

// Four running sums side by side (one vector register), combined in a fixed order: a sum
// never depends on how the compiler or the pieces of the input happened to split it, so
// the output is the same however the recording arrives. The plain loop adds in the same
// order as the SSE2 one.
inline float Dot(const float* a, const float* b, Index n) {
    float lane[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    Index i = 0;
#if defined(__SSE2__)
    __m128 sums = _mm_setzero_ps();
    for (; i + 4 <= n; i += 4) {
        sums = _mm_add_ps(sums, _mm_mul_ps(_mm_loadu_ps(a + i), _mm_loadu_ps(b + i)));
    }
    _mm_storeu_ps(lane, sums);
#else
    for (; i + 4 <= n; i += 4) {
        for (int k = 0; k < 4; ++k) {
            lane[k] += a[i + k] * b[i + k];
        }
    }
#endif
    float sum = (lane[0] + lane[2]) + (lane[1] + lane[3]);
    for (; i < n; ++i) {
        sum += a[i] * b[i];
    }
    return sum;
}

// One sum of step samples (a multiple of 4): four lanes over the groups of four, then
// the lanes in pairs. The SSE2 loop below adds in exactly this order.
float SumOfQuads(const float* from, Index step) {
    float lane[4] = {from[0], from[1], from[2], from[3]};
    for (Index q = 4; q < step; q += 4) {
        for (int k = 0; k < 4; ++k) {
            lane[k] += from[q + k];
        }
    }
    return (lane[0] + lane[2]) + (lane[1] + lane[3]);
}

#if defined(__SSE2__)
// Four sums of kStep samples each, side by side, as SumOfQuads makes them.
template <Index kStep> void DecimateFour(const float* from, float* into) {
    __m128 lane[4];
    for (int g = 0; g < 4; ++g) {
        const float* group = from + g * kStep;
        lane[g] = _mm_loadu_ps(group);
        for (Index q = 4; q < kStep; q += 4) {
            lane[g] = _mm_add_ps(lane[g], _mm_loadu_ps(group + q));
        }
    }
    // (l0 + l2) + (l1 + l3) of each group.
    const __m128 ab = _mm_add_ps(_mm_shuffle_ps(lane[0], lane[1], _MM_SHUFFLE(1, 0, 1, 0)),
                                 _mm_shuffle_ps(lane[0], lane[1], _MM_SHUFFLE(3, 2, 3, 2)));
    const __m128 cd = _mm_add_ps(_mm_shuffle_ps(lane[2], lane[3], _MM_SHUFFLE(1, 0, 1, 0)),
                                 _mm_shuffle_ps(lane[2], lane[3], _MM_SHUFFLE(3, 2, 3, 2)));
    _mm_storeu_ps(into, _mm_add_ps(_mm_shuffle_ps(ab, cd, _MM_SHUFFLE(2, 0, 2, 0)),
                                   _mm_shuffle_ps(ab, cd, _MM_SHUFFLE(3, 1, 3, 1))));
}

template <Index kStep> Index DecimateWide(const float* from, Index count, float* into) {
    Index i = 0;
    for (; i + 4 <= count; i += 4) {
        DecimateFour<kStep>(from + i * kStep, into + i);
    }
    return i;
}
#endif

// Sums of step samples each, count of them. The coarsest search level sums the whole
// recording this way, so four sums are made at once where the processor allows.
void Decimate(const float* from, Index count, Index step, float* into) {
    if (step == 1) {
        std::copy_n(from, count, into);
        return;
    }
    Index i = 0;
    if (step == 2) {
#if defined(__SSE2__)
        for (; i + 4 <= count; i += 4) {
            const __m128 a = _mm_loadu_ps(from + 2 * i), b = _mm_loadu_ps(from + 2 * i + 4);
            _mm_storeu_ps(into + i, _mm_add_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)),
                                               _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
        }
#endif
        for (; i < count; ++i) {
            into[i] = from[2 * i] + from[2 * i + 1];
        }
        return;
    }
#if defined(__SSE2__)
    // The usual steps with loops of their own that the compiler unrolls.
    switch (step) {
    case 4:
        i = DecimateWide<4>(from, count, into);
        break;
    case 8:
        i = DecimateWide<8>(from, count, into);
        break;
    case 16:
        i = DecimateWide<16>(from, count, into);
        break;
    default:
        break;
    }
#endif
    for (from += i * step; i < count; ++i, from += step) {
        into[i] = SumOfQuads(from, step);
    }
}

// Correlation of target with c at one start, added in the order of the four starts side
// by side below.
[[maybe_unused]] float CorrelateOne(const float* target, const float* c, Index length) {
    float sum = 0.0f;
    for (Index j = 0; j < length; ++j) {
        sum += target[j] * c[j];
    }
    return sum;
}

#if defined(__SSE2__)
// Correlations at 4 * kGroups starts side by side, each lane adding in the order
// CorrelateOne does; each target sample is broadcast once for all the groups.
template <int kGroups>
void CorrelateGroups(const float* target, const float* c, Index length, float* into) {
    __m128 sums[kGroups];
    for (int k = 0; k < kGroups; ++k) {
        sums[k] = _mm_setzero_ps();
    }
    for (Index j = 0; j < length; ++j) {
        const __m128 t = _mm_set1_ps(target[j]);
        for (int k = 0; k < kGroups; ++k) {
            sums[k] = _mm_add_ps(sums[k], _mm_mul_ps(t, _mm_loadu_ps(c + 4 * k + j)));
        }
    }
    for (int k = 0; k < kGroups; ++k) {
        _mm_storeu_ps(into + 4 * k, sums[k]);
    }
}
#endif

// Correlations of target with c at starts 0 .. lags - 1. The coarsest level's many starts
// go four at a time, one vector register for the four, the last few in a group of their
// own (c is readable a few samples past what the starts need: see kSlack); a finer
// level's few starts each take a Dot. Which way a start is summed depends only on the
// number of starts, never on the pieces the recording arrived in.
void Correlate(const float* target, const float* c, Index length, Index lags, float* into) {
    if (lags < 8) {
        for (Index g = 0; g < lags; ++g) {
            into[g] = Dot(target, c + g, length);
        }
        return;
    }
    Index g = 0;
#if defined(__SSE2__)
    for (; g + 16 <= lags; g += 16) {
        CorrelateGroups<4>(target, c + g, length, into + g);
    }
    if (g < lags) {
        float last[16];
        switch ((lags - g + 3) / 4) {
        case 4:
            CorrelateGroups<4>(target, c + g, length, last);
            break;
        case 3:
            CorrelateGroups<3>(target, c + g, length, last);
            break;
        case 2:
            CorrelateGroups<2>(target, c + g, length, last);
            break;
        default:
            CorrelateGroups<1>(target, c + g, length, last);
            break;
        }
        std::copy(last, last + (lags - g), into + g);
    }
#else
    for (; g < lags; ++g) {
        into[g] = CorrelateOne(target, c + g, length);
    }
#endif
}

// The crossfade of a and b by w as 8-bit samples: each the byte ToU8 makes of the float
// that the float crossfade gives (the samples come from bytes, so none is NaN).
void CrossfadeU8(const float* a, const float* b, const float* w, Index count, std::uint8_t* o) {
    Index i = 0;
#if defined(__SSE2__)
    const __m128 scale = _mm_set1_ps(128.0f), offset = _mm_set1_ps(128.5f),
                 top = _mm_set1_ps(255.0f), zero = _mm_setzero_ps();
    const auto four = [&](Index at) {
        const __m128 x = _mm_loadu_ps(a + at);
        const __m128 faded =
            _mm_add_ps(x, _mm_mul_ps(_mm_loadu_ps(w + at), _mm_sub_ps(_mm_loadu_ps(b + at), x)));
        const __m128 v = _mm_add_ps(_mm_mul_ps(faded, scale), offset);
        return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(v, zero), top));
    };
    for (; i + 16 <= count; i += 16) {
        const __m128i low = _mm_packs_epi32(four(i), four(i + 4));
        const __m128i high = _mm_packs_epi32(four(i + 8), four(i + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), _mm_packus_epi16(low, high));
    }
#endif
    for (; i < count; i += 16) {
        const auto n = static_cast<std::size_t>(std::min<Index>(16, count - i));
        float faded[16];
        for (std::size_t k = 0; k < n; ++k) {
            faded[k] = a[i + k] + w[i + k] * (b[i + k] - a[i + k]);
        }
        ToU8(std::span<const float>(faded, n), std::span(o + i, n));
    }
}

// Sums of 8 samples straight from 8-bit bytes: each sample is a whole number of 1/128, so
// the float sums Decimate makes of the converted samples are exact, and these equal them
// bit for bit. Returns how many it made (all but the last few without SSE2).
Index SumsOfEightU8(const std::uint8_t* from, Index count, float* into) {
    Index i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), silence = _mm_set1_epi32(8 * 128);
    const __m128 scale = _mm_set1_ps(1.0f / 128.0f);
    for (; i + 4 <= count; i += 4) {
        // Each half of a register summed into its low 16 bits.
        const __m128i a =
            _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8 * i)), zero);
        const __m128i b = _mm_sad_epu8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8 * i + 16)), zero);
        const __m128i sums = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(into + i, _mm_mul_ps(_mm_cvtepi32_ps(_mm_sub_epi32(sums, silence)), scale));
    }
#endif
    for (; i < count; ++i) {
        int sum = 0;
        for (int k = 0; k < 8; ++k) {
            sum += from[8 * i + k];
        }
        into[i] = static_cast<float>(sum - 8 * 128) * (1.0f / 128.0f);
    }
    return count;
}

Index RoundDown(Index value, Index step) {
    return (value >= 0 ? value : value - step + 1) / step * step;
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

StretchStream::StretchStream(int sampleRate, double speed) : speed_(UsableSpeed(speed)) {
    const Index coarsest = CoarsestStep(sampleRate);
    const auto inSteps = [&](double seconds) {
        return std::max<Index>(1, std::lround(seconds * sampleRate / coarsest)) * coarsest;
    };
    // 25 ms blocks (pieces of 50 ms); pieces move up to 6 ms, over half the period of the
    // lowest voice (90 Hz), so an in-phase place is always in reach; the search compares
    // 12 ms in the middle of the overlap, a whole period of that voice.
    hop_ = std::max<Index>(inSteps(0.025), 4);
    reach_ = inSteps(0.006);
    const Index match = std::min(hop_, inSteps(0.012));
    const Index middle = RoundDown((hop_ - match) / 2, coarsest);
    for (Index step = coarsest;; step = std::max<Index>(1, step / 8)) {
        Level level;
        level.step = step;
        while ((Index{1} << level.shift) < step) {
            ++level.shift;
        }
        // The coarsest level finds the period within a whole 12 ms; the finer ones only
        // move the phase by a few samples, which the middle 3 ms (a period of the highest
        // voice) show as well at a quarter of the cost.
        const Index middleQuarter = std::max(coarsest, RoundDown(match / 4, coarsest));
        const bool coarsestLevel = levels_.empty();
        level.length = coarsestLevel ? match : middleQuarter;
        level.offset =
            middle + (coarsestLevel ? 0 : RoundDown((match - middleQuarter) / 2, coarsest));
        level.target.resize(static_cast<std::size_t>(level.length / step));
        levels_.push_back(std::move(level));
        if (step == 1) {
            break;
        }
    }
    // Raised-cosine fade: fade-in and fade-out sum to one at every sample, so a steady
    // sound keeps its level through every crossfade.
    fadeIn_.resize(static_cast<std::size_t>(hop_));
    for (Index i = 0; i < hop_; ++i) {
        const double s = std::sin(std::numbers::pi * (static_cast<double>(i) + 0.5) / (2.0 * hop_));
        fadeIn_[i] = static_cast<float>(s * s);
    }
    scores_.resize(static_cast<std::size_t>(2 * reach_ + 1));
    energies_.resize(scores_.size());
    edgeA_.resize(static_cast<std::size_t>(hop_));
    edgeB_.resize(static_cast<std::size_t>(hop_));
    // The window grows as samples arrive (Reserve) up to a piece, what the next blocks may
    // reach, and the piece being added, and no further: a short recording never pays for
    // the room a long one needs.
    for (std::size_t i = 1; i < levels_.size(); ++i) { // the finer levels look at a few starts
        levels_[i].decimated.resize(
            static_cast<std::size_t>(levels_[i].length / levels_[i].step + 8 + kSlack));
    }
}

void StretchStream::Push(std::span<const float> samples, StretchSink& sink) {
    if (speed_ == 1.0) {
        if (!samples.empty()) {
            sink.Take(samples); // at 1x the samples are the output
        }
        return;
    }
    while (!samples.empty()) {
        const auto count = std::min(samples.size(), static_cast<std::size_t>(kPiece));
        Append(samples.first(count), sink);
        samples = samples.subspan(count);
    }
    Flush(sink);
}

void StretchStream::PushU8(std::span<const std::uint8_t> samples, StretchSink& sink) {
    PushBytes(samples, sink);
}

void StretchStream::PushU8(std::span<const std::uint8_t> samples, StretchByteSink& sink) {
    PushBytes(samples, sink);
}

template <typename Sink>
void StretchStream::PushBytes(std::span<const std::uint8_t> samples, Sink& sink) {
    if constexpr (std::is_same_v<Sink, StretchByteSink>) {
        if (speed_ == 1.0) {
            if (!samples.empty()) {
                sink.Take(samples); // at 1x the samples are the output
            }
            return;
        }
    }
    while (!samples.empty()) {
        const auto count = std::min(samples.size(), static_cast<std::size_t>(kPiece));
        // Converted straight into the window: no second pass over the samples.
        float* into = Reserve(count);
        FloatsFromU8(samples.data(), count, into);
        if constexpr (std::is_same_v<Sink, StretchSink>) {
            if (speed_ == 1.0) {
                sink.Take({into, count});
                samples = samples.subspan(count);
                continue;
            }
        }
        Received(count, sink, samples.data());
        samples = samples.subspan(count);
    }
    Flush(sink);
}

void StretchStream::Finish(StretchSink& sink) {
    FinishInto(sink);
}

void StretchStream::Finish(StretchByteSink& sink) {
    FinishInto(sink);
}

template <typename Sink> void StretchStream::FinishInto(Sink& sink) {
    if (speed_ == 1.0) {
        return;
    }
    length_ = static_cast<Index>(StretchedLength(static_cast<std::size_t>(received_), speed_));
    RunBlocks(true, sink);
    Flush(sink);
}

void StretchStream::Append(std::span<const float> samples, StretchSink& sink) {
    std::copy(samples.begin(), samples.end(), Reserve(samples.size()));
    Received(samples.size(), sink);
}

float* StretchStream::Reserve(std::size_t count) {
    const auto needed = static_cast<std::size_t>(windowSize_ + kSlack) + count;
    if (needed > window_.size()) {
        window_.resize(needed);
        Level& coarsest = levels_.front();
        if (coarsest.step > 1) {
            coarsest.decimated.resize(needed / static_cast<std::size_t>(coarsest.step) + kSlack);
        }
    }
    return window_.data() + windowSize_;
}

template <typename Sink>
void StretchStream::Received(std::size_t count, Sink& sink, const std::uint8_t* bytes) {
    const Index from = windowSize_; // where the new samples start in the window
    received_ += static_cast<Index>(count);
    windowSize_ += static_cast<Index>(count);
    SumCoarsest(from, bytes);
    RunBlocks(false, sink);
    Compact();
}

// The coarsest level's copy grows with the window: it searches every start within reach,
// so every sample is summed once here rather than for each block; from the bytes where
// they are at hand (the sums of a step straddling two pieces from the floats).
void StretchStream::SumCoarsest(Index from, const std::uint8_t* bytes) {
    Level& coarsest = levels_.front();
    if (coarsest.step == 1) {
        return;
    }
    const Index whole = windowSize_ >> coarsest.shift;
    Index next = coarsest.size;
    if (bytes != nullptr && coarsest.step == 8) {
        const Index firstWhole = (from + 7) >> 3; // the first sum wholly in the bytes
        if (firstWhole > next) {
            Decimate(window_.data() + (next << 3), firstWhole - next, 8,
                     coarsest.decimated.data() + next);
            next = firstWhole;
        }
        if (whole > next) {
            next += SumsOfEightU8(bytes + ((next << 3) - from), whole - next,
                                  coarsest.decimated.data() + next);
        }
    }
    Decimate(window_.data() + (next << coarsest.shift), whole - next, coarsest.step,
             coarsest.decimated.data() + next);
    coarsest.size = whole;
}

StretchStream::Index StretchStream::Nominal(Index block) const {
    // Never negative, far below 2^52: adding a half and truncating is llround without the
    // library call (asked for twice a block).
    return static_cast<Index>(static_cast<double>(block * hop_) * speed_ + 0.5);
}

// Each block is a crossfade from the continuation of the piece before to a new piece
// found near the block's nominal place. Before the source's end is known, a block is made
// only when everything it may look at has arrived, so the result is the same however
// the source is cut into pieces.
template <typename Sink> void StretchStream::RunBlocks(bool final, Sink& sink) {
    for (;;) {
        if (final ? block_ * hop_ >= length_
                  : Nominal(block_ + 1) + reach_ + 2 * hop_ > received_) {
            return;
        }
        const Index count = final ? std::min(hop_, length_ - block_ * hop_) : hop_;
        if (block_ == 0) {
            Emit(Piece(0, edgeA_.data()), nullptr, count, sink);
        } else {
            const Index continuation = previous_ + hop_;
            const Index next = BestStart(continuation, Nominal(block_));
            Emit(Piece(continuation, edgeA_.data()), Piece(next, edgeB_.data()), count, sink);
            previous_ = next;
        }
        ++block_;
        if (out_filled_ >= static_cast<std::size_t>(kPiece)) {
            Flush(sink);
        }
    }
}

// a faded out as b fades in; without b, a as it is.
void StretchStream::Emit(const float* a, const float* b, Index count, StretchSink&) {
    if (out_.empty()) {
        out_.resize(static_cast<std::size_t>(kPiece + hop_));
    }
    float* o = out_.data() + out_filled_;
    out_filled_ += static_cast<std::size_t>(count);
    if (b == nullptr) {
        std::copy_n(a, count, o);
        return;
    }
    const float* w = fadeIn_.data();
#pragma omp simd
    for (Index i = 0; i < count; ++i) {
        o[i] = a[i] + w[i] * (b[i] - a[i]);
    }
}

void StretchStream::Emit(const float* a, const float* b, Index count, StretchByteSink&) {
    if (outBytes_.empty()) {
        outBytes_.resize(static_cast<std::size_t>(kPiece + hop_));
    }
    // With a alone, the fade of a into itself: a exactly (the samples are finite).
    CrossfadeU8(a, b == nullptr ? a : b, fadeIn_.data(), count, outBytes_.data() + out_filled_);
    out_filled_ += static_cast<std::size_t>(count);
}

void StretchStream::Flush(StretchSink& sink) {
    if (out_filled_ > 0) {
        sink.Take(std::span(out_).first(out_filled_));
        out_filled_ = 0;
    }
}

void StretchStream::Flush(StretchByteSink& sink) {
    if (out_filled_ > 0) {
        sink.Take(std::span(outBytes_).first(out_filled_));
        out_filled_ = 0;
    }
}

// Drops the source no later block can reach: before both the next continuation and the
// next block's search.
void StretchStream::Compact() {
    const Index keepFrom = std::max<Index>(
        0, std::min({previous_ + hop_, Nominal(block_) - reach_, received_ - 4 * (hop_ + reach_)}));
    const Index drop = RoundDown(keepFrom - base_, levels_.front().step);
    if (drop < kPiece) {
        return;
    }
    std::copy(window_.begin() + drop, window_.begin() + windowSize_, window_.begin());
    windowSize_ -= drop;
    Level& coarsest = levels_.front();
    if (coarsest.step > 1) {
        const Index dropped = drop >> coarsest.shift;
        std::copy(coarsest.decimated.begin() + dropped, coarsest.decimated.begin() + coarsest.size,
                  coarsest.decimated.begin());
        coarsest.size -= dropped;
    }
    base_ += drop;
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

// A level's signal for count starts from a source position on its grid: the window
// itself, the coarsest level's running copy, or the few sums a finer level needs.
const float* StretchStream::LevelSource(Level& level, Index position, Index count) {
    const float* x = window_.data() + (position - base_);
    if (level.step == 1) {
        return x;
    }
    if (&level == &levels_.front()) {
        return level.decimated.data() + ((position - base_) >> level.shift);
    }
    Decimate(x, count, level.step, level.decimated.data());
    return level.decimated.data();
}

// Where the next piece starts: near its nominal place, where it best matches the
// continuation of the piece being faded out (normalised correlation over the middle of the
// overlap). Coarse to fine: every start within reach on the coarsest grid, then each finer
// level around the best of the one before.
StretchStream::Index StretchStream::BestStart(Index continuation, Index nominal) {
    const Index last = received_ - hop_; // the last start of a whole piece
    if (last < base_) {
        return nominal;
    }
    const Index lo = std::clamp<Index>(nominal - reach_, base_, last);
    const Index hi = std::clamp<Index>(nominal + reach_, base_, last);
    Index best = std::clamp<Index>(nominal, lo, hi);
    if (continuation > last || continuation < base_ || hi == lo) {
        return best;
    }
    Index around = reach_; // how far from the best so far this level looks
    for (Level& level : levels_) {
        const Index step = level.step;
        const Index mask = ~(step - 1); // rounds down to the level's grid
        const Index length = level.length >> level.shift;
        const float* wanted = window_.data() + (continuation + level.offset - base_);
        const float* target = wanted;
        if (step > 1) {
            Decimate(wanted, length, step, level.target.data());
            target = level.target.data();
        }
        if (&level == &levels_.front() && Dot(target, target, length) <= 1e-12f) {
            return best; // nothing to match: silence stays where it belongs
        }
        const Index centre = (best + step / 2) & mask;
        const Index first = std::max(centre - (around & mask), (lo + step - 1) & mask);
        const Index end = std::min(centre + (around & mask), hi & mask);
        around = step / 2;
        if (first > end) {
            continue;
        }
        const Index lags = ((end - first) >> level.shift) + 1;
        const float* c = LevelSource(level, first + level.offset, lags - 1 + length);
        Correlate(target, c, length, lags, scores_.data());
        // Each start's energy, then the best of correlation / sqrt(energy) (compared
        // squared, with the correlation's sign kept); the earliest wins a tie.
        float* energy = energies_.data();
        energy[0] = Dot(c, c, length);
        for (Index g = 1; g < lags; ++g) {
            const float in = c[g - 1 + length], out = c[g - 1];
            energy[g] = energy[g - 1] + (in * in - out * out);
        }
        float* scored = scores_.data();
        Index g = 0;
#if defined(__SSE2__)
        // The same operations as the plain loop, four at a time (IEEE results are exact).
        const __m128 tiny = _mm_set1_ps(1e-12f),
                     magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
        for (; g + 4 <= lags; g += 4) {
            const __m128 s = _mm_loadu_ps(scored + g);
            _mm_storeu_ps(scored + g, _mm_div_ps(_mm_mul_ps(s, _mm_and_ps(s, magnitude)),
                                                 _mm_add_ps(_mm_loadu_ps(energy + g), tiny)));
        }
#endif
        for (; g < lags; ++g) {
            scored[g] = scored[g] * std::fabs(scored[g]) / (energy[g] + 1e-12f);
        }
        Index bestLag = 0;
        float bestScore = -std::numeric_limits<float>::infinity();
        for (g = 0; g < lags; ++g) {
            const float score = scores_[g];
            if (score > bestScore) {
                bestScore = score;
                bestLag = g;
            }
        }
        best = first + bestLag * step;
    }
    return best;
}

} // namespace voice::review
