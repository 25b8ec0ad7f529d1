#include "conversion/recording_converter.h"

#include <array>
#include <memory>
#include <vector>

#include "conversion/run_decoders.h"
#include "conversion/wav_header.h"

namespace voice {
namespace {

bool UsesSignature(RecordingKind kind) noexcept {
    return kind >= RecordingKind::Inverted && kind <= RecordingKind::PlainRuns;
}
bool UsesRunDecoder(RecordingKind kind) noexcept {
    return kind >= RecordingKind::InvertedRuns && kind <= RecordingKind::PlainRuns;
}

// Reads up to N bytes from the start; unread bytes stay zero, as detection expects.
// Detection reads a few small pieces at offsets of its choosing.
class ReaderBytes final : public RecordingBytes {
public:
    explicit ReaderBytes(RecordingReader& recording) noexcept : recording_(recording) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
        recording_.Seek(offset);
        std::size_t filled = 0;
        while (filled < into.size()) {
            const std::size_t n = recording_.Read(into.subspan(filled));
            if (n == 0)
                break;
            filled += n;
        }
        return filled;
    }

private:
    RecordingReader& recording_;
};

class CountingSink final : public SampleSink {
public:
    CountingSink(ConvertedWriter& out, std::uint64_t& written) noexcept
        : out_(out), written_(written) {}
    void WritePiece(std::span<const std::uint8_t> piece) override {
        out_.Append(piece);
        written_ += piece.size();
    }

private:
    ConvertedWriter& out_;
    std::uint64_t& written_;
};

// The block loop: the recording from its current position to its end (or a failed read).
void WriteSamples(RecordingKind kind, RecordingReader& recording, SampleSink& sink) {
    auto out = std::make_unique<OutputBuffer>(sink);
    RunDecoder runs(UsesRunDecoder(kind) ? kind : RecordingKind::InvertedRuns, *out);
    std::vector<std::uint8_t> block(kConversionBlockSize);
    for (;;) {
        const std::size_t n = recording.Read(block);
        if (n == 0)
            break;
        const std::span<const std::uint8_t> bytes(block.data(), n);
        if (kind == RecordingKind::Inverted)
            out->AppendInverted(bytes);
        else if (UsesRunDecoder(kind))
            runs.Feed(bytes);
        else
            out->Append(bytes);
        if (n < block.size())
            break;
    }
    runs.Finish(); // flushes the output buffer
}

} // namespace

RecordingKind DetectKind(RecordingReader& recording) {
    ReaderBytes bytes(recording);
    return DetectRecordingKind(bytes);
}

std::optional<WavDataChunk> FindWavData(RecordingReader& recording) {
    ReaderBytes bytes(recording);
    return FindWavDataChunk(bytes);
}

ConversionResult ConvertRecording(RecordingReader& recording, ConvertedWriter& out) {
    ConversionResult result;
    result.kind = DetectKind(recording);
    // Kind 7 has no decoder: its playback file stays empty.
    if (result.kind == RecordingKind::Undecodable)
        return result;

    if (result.kind != RecordingKind::Wav) {
        const WavHeader header = WavHeaderForSource(recording.Length());
        out.Append(header);
        result.bytesWritten += header.size();
    }
    recording.Seek(UsesSignature(result.kind) ? kSignatureSize : 0);
    CountingSink sink(out, result.bytesWritten);
    WriteSamples(result.kind, recording, sink);
    if (UsesSignature(result.kind))
        out.RewriteHeader(WavHeaderInPlace(result.bytesWritten));
    return result;
}

} // namespace voice
