#include "conversion/recording_converter.h"

#include <array>
#include <memory>
#include <vector>

#include "conversion/run_decoders.h"
#include "conversion/wav/wav_header.h"

namespace voice {
namespace {

bool UsesSignature(RecordingKind kind) noexcept {
    return kind >= RecordingKind::Inverted && kind <= RecordingKind::PlainRuns;
}
bool UsesRunDecoder(RecordingKind kind) noexcept {
    return kind >= RecordingKind::InvertedRuns && kind <= RecordingKind::PlainRuns;
}

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

} // namespace

std::size_t ReaderBytes::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
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

SampleDecoder::SampleDecoder(RecordingKind kind, RecordingReader& recording, SampleSink& sink,
                             std::size_t blockSize)
    : kind_(kind), recording_(recording), out_(std::make_unique<OutputBuffer>(sink)),
      runs_(UsesRunDecoder(kind) ? kind : RecordingKind::InvertedRuns, *out_), block_(blockSize) {}

bool SampleDecoder::Step() {
    if (ended_)
        return false;
    const std::size_t n = recording_.Read(block_);
    const std::span<const std::uint8_t> bytes(block_.data(), n);
    if (kind_ == RecordingKind::Inverted)
        out_->AppendInverted(bytes);
    else if (UsesRunDecoder(kind_))
        runs_.Feed(bytes);
    else
        out_->Append(bytes);
    if (n < block_.size()) {
        ended_ = true;
        runs_.Finish(); // flushes the output buffer
    }
    return !ended_;
}

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
    SampleDecoder decoder(result.kind, recording, sink);
    while (decoder.Step()) {
    }
    if (UsesSignature(result.kind))
        out.RewriteHeader(WavHeaderInPlace(result.bytesWritten));
    return result;
}

} // namespace voice
