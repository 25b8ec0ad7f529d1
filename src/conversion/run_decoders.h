#pragma once
// Streaming decoders of the stored forms. A recording is decoded as one continuous byte
// stream fed in blocks of any size: an item split across blocks (a kind-4 marker and its
// count byte, a kind-5/6 run header and its value byte) is completed by the next block,
// so the samples do not depend on where the blocks end. Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "conversion/byte_transforms.h"
#include "conversion/recording_kind.h"

namespace voice {

// Where full output pieces go (the playback file, or memory in tests).
class SampleSink {
public:
    virtual void WritePiece(std::span<const std::uint8_t> piece) = 0;

protected:
    ~SampleSink() = default;
};

// The conversion reads the recording in blocks of this size and writes the playback file
// in pieces of this size; the samples do not depend on it. Under Wine every file write
// costs about as much as copying several kilobytes, so 64 KB pieces keep the conversion
// close to a plain copy of the recording. Memory stays fixed whatever the length.
inline constexpr std::size_t kConversionBlockSize = 65536;

// A fixed output buffer with its fill count. It is written to the sink whenever it
// fills, also in the middle of a run, and once more by Flush.
class OutputBuffer {
public:
    static constexpr std::size_t kSize = kConversionBlockSize;

    explicit OutputBuffer(SampleSink& sink) noexcept : sink_(sink) {}
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    std::size_t Fill() const noexcept { return fill_; }

    void Emit(std::uint8_t value) {
        data_[fill_++] = value;
        if (fill_ == kSize)
            WriteFull();
    }
    void EmitRun(std::uint8_t value, std::size_t count) {
        while (count > 0) {
            const std::size_t piece = count < kSize - fill_ ? count : kSize - fill_;
            std::memset(data_ + fill_, value, piece);
            fill_ += piece;
            count -= piece;
            if (fill_ == kSize)
                WriteFull();
        }
    }
    // Kinds 1 and 2: the bytes as they are.
    void Append(std::span<const std::uint8_t> bytes);
    // Kind 3: every byte a sample of its own, rotated right by 3 and inverted.
    void AppendInverted(std::span<const std::uint8_t> bytes);

    // Direct filling: up to Room() bytes may be stored at Space(), then Commit(count).
    std::uint8_t* Space() noexcept { return data_ + fill_; }
    std::size_t Room() const noexcept { return kSize - fill_; }
    void Commit(std::size_t count) {
        fill_ += count;
        if (fill_ == kSize)
            WriteFull();
    }
    // Writes what the buffer holds, possibly nothing, and empties it.
    void Flush();

private:
    void WriteFull();

    SampleSink& sink_;
    std::size_t fill_ = 0;
    std::uint8_t data_[kSize];
};

// Kinds 4, 5 and 6 (the bytes after the signature). Feed the recording's bytes in order,
// then call Finish once at its end.
class RunDecoder {
public:
    // kind must be InvertedRuns, SwappedRuns or PlainRuns.
    RunDecoder(RecordingKind kind, OutputBuffer& out) noexcept;

    void Feed(std::span<const std::uint8_t> bytes);
    // Ends the stream: a kind-5/6 run header without its value byte is dropped (a kind-4
    // marker without its count byte has already been emitted once), then the output
    // buffer is flushed.
    void Finish();

private:
    template <typename Form, bool kMarkers>
    void FeedRuns(const std::uint8_t* p, const std::uint8_t* end);

    OutputBuffer& out_;
    RecordingKind kind_;
    bool pending_ = false; // a marker or run header waits for its next byte
    std::uint8_t pendingValue_ = 0;
};

} // namespace voice
