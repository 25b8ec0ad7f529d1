#include "conversion/run_decoders.h"

namespace voice {

void OutputBuffer::WriteFull() {
    sink_.WritePiece({data_, kSize});
    fill_ = 0;
}

void OutputBuffer::Flush() {
    sink_.WritePiece({data_, fill_});
    fill_ = 0;
}

void DecodeInvertedInPlace(std::span<std::uint8_t> bytes) noexcept {
    for (auto& b : bytes)
        b = kInvertedSample[b];
}

RunDecoder::RunDecoder(RecordingKind kind, OutputBuffer& out) noexcept
    : out_(out), markerRuns_(kind == RecordingKind::InvertedRuns),
      sample_(kind == RecordingKind::SwappedRuns ? &kSwappedSample
              : kind == RecordingKind::PlainRuns ? &kPlainSample
                                                 : &kInvertedSample) {}

void RunDecoder::Feed(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    const std::uint8_t* const end = p + bytes.size();
    if (markerRuns_)
        FeedMarkerRuns(p, end);
    else
        FeedHeaderRuns(p, end);
}

void RunDecoder::Finish() {
    pending_ = false;
    out_.Flush();
}

// Kind 4: a sample v is emitted at once; an odd v is a marker whose count byte d makes
// the run d copies long (d of 0 or 1 leaves the one copy).
void RunDecoder::FeedMarkerRuns(const std::uint8_t* p, const std::uint8_t* end) {
    if (pending_ && p != end) {
        const std::uint8_t d = kInvertedCount[*p++];
        if (d >= 2)
            out_.EmitRun(pendingValue_, d - 1u);
        pending_ = false;
    }
    while (p != end) {
        const std::uint8_t v = kInvertedSample[*p++];
        out_.Emit(v);
        if ((v & 1) == 0)
            continue;
        if (p == end) {
            pending_ = true;
            pendingValue_ = v;
            return;
        }
        const std::uint8_t d = kInvertedCount[*p++];
        if (d >= 2)
            out_.EmitRun(v, d - 1u);
    }
}

// Kinds 5 and 6: an even v is a sample; an odd v is a run header that repeats the next
// byte's value v / 2 times.
void RunDecoder::FeedHeaderRuns(const std::uint8_t* p, const std::uint8_t* end) {
    const ByteTable& t = *sample_;
    if (pending_ && p != end) {
        out_.EmitRun(t[*p++], pendingValue_);
        pending_ = false;
    }
    while (p != end) {
        const std::uint8_t v = t[*p++];
        if ((v & 1) == 0) {
            out_.Emit(v);
            continue;
        }
        if (p == end) {
            pending_ = true;
            pendingValue_ = static_cast<std::uint8_t>(v >> 1);
            return;
        }
        out_.EmitRun(t[*p++], v >> 1);
    }
}

} // namespace voice
