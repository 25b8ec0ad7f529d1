#pragma once
// Speed change with the pitch kept, by overlap-add with waveform-similarity alignment.
//
// Why this method: it needs no pitch marks and no voiced/unvoiced decision, which on the
// recorder's noisy 8-bit speech at 7860 Hz are where pitch-synchronous methods go wrong;
// noise, unvoiced sounds and silence pass through as they are. Each output block is a
// crossfade between the natural continuation of the previous piece and a new piece of the
// source near its nominal place, shifted to where the two waveforms agree best, so the
// periods of the voice are kept whole and the pitch with them. Blocks are 25 ms (pieces of
// 50 ms); a piece moves up to 6 ms, over half the period of the lowest voice. The search
// costs little per sample: 12 ms of the overlap compared on sums of 8 samples (about 1000
// per second, enough for any fundamental), then refined at the full rate around the best
// over the middle 3 ms, with no allocation per block; the sums and
// correlations use SSE2 where there is SSE2, always adding in the same order, so the
// output does not depend on how the recording was cut into pieces.
// Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace voice::review {

inline constexpr double kSlowestSpeed = 0.5;
inline constexpr double kFastestSpeed = 3.0;

// The speed actually used: clamped to the offered range, 1 when it is not a number.
double UsableSpeed(double speed) noexcept;

// The number of samples the stretch of inputLength samples yields at this speed:
// inputLength / speed, rounded. Every stretch yields exactly this many.
std::size_t StretchedLength(std::size_t inputLength, double speed) noexcept;

// The samples played at the given speed with their pitch kept. At speed 1 a copy.
// The output moment t corresponds to the source moment t * speed.
std::vector<float> TimeStretch(std::span<const float> samples, int sampleRate, double speed);

// Where a stream's output goes, a piece at a time (the span is valid during the call).
class StretchSink {
public:
    virtual void Take(std::span<const float> samples) = 0;

protected:
    ~StretchSink() = default;
};

// The same, as 8-bit unsigned samples: each the byte ToU8 makes of the float output, made
// straight from the crossfade, for a playback file written 8-bit.
class StretchByteSink {
public:
    virtual void Take(std::span<const std::uint8_t> samples) = 0;

protected:
    ~StretchByteSink() = default;
};

// The same stretch over a recording fed in pieces of any size, for the playback file's
// writer: memory stays a few thousand samples whatever the recording's length, so a
// one-hour recording is stretched as it is decoded. After Finish the sink has had exactly
// StretchedLength(all samples pushed) samples, the same as TimeStretch gives; at speed 1
// the samples pass through unchanged. A stream hands its output to one kind of sink.
class StretchStream {
public:
    StretchStream(int sampleRate, double speed);

    void Push(std::span<const float> samples, StretchSink& sink);
    // 8-bit unsigned samples, as SamplesFromU8 reads them.
    void PushU8(std::span<const std::uint8_t> samples, StretchSink& sink);
    void Finish(StretchSink& sink);
    // 8-bit in, 8-bit out.
    void PushU8(std::span<const std::uint8_t> samples, StretchByteSink& sink);
    void Finish(StretchByteSink& sink);

private:
    using Index = std::ptrdiff_t;

    // One level of the similarity search: the source decimated by step (sums of step
    // samples on a grid of whole steps from the start).
    struct Level {
        Index step = 1;
        int shift = 0;                // step == 1 << shift
        std::vector<float> decimated; // the coarsest's running copy, a finer one's few sums
        Index size = 0;               // sums in the running copy
        Index offset = 0;             // what it compares: this far into the overlap...
        Index length = 0;             // ...this many samples (whole steps)
        std::vector<float> target;    // the continuation, decimated alike
    };

    template <typename Sink> void PushBytes(std::span<const std::uint8_t> samples, Sink& sink);
    template <typename Sink> void FinishInto(Sink& sink);
    void Append(std::span<const float> samples, StretchSink& sink);
    float* Reserve(std::size_t count); // room at the window's end for count more samples
    // count more samples in the window; bytes: the same samples as 8-bit, if they came so
    template <typename Sink>
    void Received(std::size_t count, Sink& sink, const std::uint8_t* bytes = nullptr);
    void SumCoarsest(Index from, const std::uint8_t* bytes);
    template <typename Sink> void RunBlocks(bool final, Sink& sink);
    // The block's output: floats for a StretchSink, bytes for a StretchByteSink.
    void Emit(const float* a, const float* b, Index count, StretchSink& sink);
    void Emit(const float* a, const float* b, Index count, StretchByteSink& sink);
    Index Nominal(Index block) const;
    const float* Piece(Index start, float* edge) const;
    Index BestStart(Index continuation, Index nominal);
    const float* LevelSource(Level& level, Index position, Index count);
    void Compact();
    void Flush(StretchSink& sink);
    void Flush(StretchByteSink& sink);

    double speed_;
    Index hop_;                 // one output block; each piece of the source spans two
    Index reach_;               // how far a piece may move from its nominal place
    std::vector<Level> levels_; // coarsest first; the last at step 1
    std::vector<float> fadeIn_, scores_, energies_, edgeA_, edgeB_;
    std::vector<float> window_; // the source from base_ on; grows to its bound, then stays
    Index windowSize_ = 0;
    Index base_ = 0; // a whole number of the coarsest step
    Index received_ = 0;
    Index block_ = 0;                    // the next output block
    Index previous_ = 0;                 // where the piece faded in by the last block starts
    Index length_ = 0;                   // the output's length, once the source's is known
    std::vector<float> out_;             // kPiece + hop_ samples, out_filled_ of them made
    std::vector<std::uint8_t> outBytes_; // the same for a StretchByteSink
    std::size_t out_filled_ = 0;
};

} // namespace voice::review
