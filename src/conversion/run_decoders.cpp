#include "conversion/run_decoders.h"

#include <algorithm>
#include <bit>

namespace voice {
namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;

// Eight bytes at once, the first in the lowest bits.
static_assert(std::endian::native == std::endian::little);
std::uint64_t Load8(const std::uint8_t* p) noexcept {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}
void Store8(std::uint8_t* p, std::uint64_t x) noexcept {
    std::memcpy(p, &x, 8);
}

// Writes count copies of value at d, where at least max(count, 16) bytes are free.
void StoreRun(std::uint8_t* d, std::uint8_t value, std::size_t count) noexcept {
    const std::uint64_t pattern = value * kEveryByte;
    Store8(d, pattern);
    Store8(d + 8, pattern);
    if (count > 16)
        std::memset(d + 16, value, count - 16);
}

// The byte function of each form, for one byte and for eight bytes at once, and which
// stored bytes decode to an odd value (a kind-4 marker, a kind-5/6 run header).
struct InvertedForm {
    static std::uint8_t Sample(std::uint8_t b) noexcept { return InvertedSample(b); }
    static std::uint64_t Samples(std::uint64_t x) noexcept {
        return ~(((x >> 3) & (0x1F * kEveryByte)) | ((x << 5) & (0xE0 * kEveryByte)));
    }
    static std::uint64_t OddBits(std::uint64_t x) noexcept { return ~x & (0x08 * kEveryByte); }
};
struct SwappedForm {
    static std::uint8_t Sample(std::uint8_t b) noexcept { return SwappedSample(b); }
    static std::uint64_t Samples(std::uint64_t x) noexcept {
        return ~(((x >> 4) & (0x0F * kEveryByte)) | ((x << 4) & (0xF0 * kEveryByte)));
    }
    static std::uint64_t OddBits(std::uint64_t x) noexcept { return ~x & (0x10 * kEveryByte); }
};
struct PlainForm {
    static std::uint8_t Sample(std::uint8_t b) noexcept { return b; }
    static std::uint64_t Samples(std::uint64_t x) noexcept { return x; }
    static std::uint64_t OddBits(std::uint64_t x) noexcept { return x & kEveryByte; }
};

// The bulk of a stream: eight bytes at a time while no item is among them, each item
// decoded without checks. It stops short of the last bytes of the input and of the
// output buffer, where an item could be cut; the careful path takes those.
template <typename Form, bool kMarkers>
void DecodeBulk(const std::uint8_t*& p, const std::uint8_t* end, std::uint8_t*& d,
                std::uint8_t* dEnd) noexcept {
    constexpr std::size_t kLongestItem = kMarkers ? 255 : 127;
    constexpr std::size_t kOutputMargin = 8 + kLongestItem + 16;
    if (end - p < 9 || dEnd - d < static_cast<std::ptrdiff_t>(kOutputMargin))
        return;
    const std::uint8_t* const pLast = end - 9;
    std::uint8_t* const dLast = dEnd - kOutputMargin;
    while (p <= pLast && d <= dLast) {
        const std::uint64_t x = Load8(p);
        Store8(d, Form::Samples(x));
        const std::uint64_t odd = Form::OddBits(x);
        if (odd == 0) {
            p += 8;
            d += 8;
            continue;
        }
        const unsigned plain = static_cast<unsigned>(std::countr_zero(odd)) / 8;
        p += plain;
        d += plain;
        // The item's first byte is at p and its second at p + 1, both within the input.
        const std::uint8_t v = Form::Sample(p[0]);
        if constexpr (kMarkers) {
            const std::uint8_t copies = kInvertedCount[p[1]];
            StoreRun(d, v, copies);
            d += copies < 2 ? 1 : copies;
        } else {
            StoreRun(d, Form::Sample(p[1]), v >> 1);
            d += v >> 1;
        }
        p += 2;
    }
}

} // namespace

void OutputBuffer::WriteFull() {
    sink_.WritePiece({data_, kSize});
    fill_ = 0;
}

void OutputBuffer::Flush() {
    sink_.WritePiece({data_, fill_});
    fill_ = 0;
}

void OutputBuffer::Append(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const std::size_t piece = std::min(bytes.size(), Room());
        std::memcpy(Space(), bytes.data(), piece);
        bytes = bytes.subspan(piece);
        Commit(piece);
    }
}

void OutputBuffer::AppendInverted(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const std::size_t piece = std::min(bytes.size(), Room());
        std::uint8_t* const d = Space();
        for (std::size_t i = 0; i < piece; ++i)
            d[i] = InvertedSample(bytes[i]);
        bytes = bytes.subspan(piece);
        Commit(piece);
    }
}

RunDecoder::RunDecoder(RecordingKind kind, OutputBuffer& out) noexcept : out_(out), kind_(kind) {}

void RunDecoder::Feed(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    const std::uint8_t* const end = p + bytes.size();
    switch (kind_) {
    case RecordingKind::SwappedRuns:
        FeedRuns<SwappedForm, false>(p, end);
        break;
    case RecordingKind::PlainRuns:
        FeedRuns<PlainForm, false>(p, end);
        break;
    default:
        FeedRuns<InvertedForm, true>(p, end);
        break;
    }
}

void RunDecoder::Finish() {
    pending_ = false;
    out_.Flush();
}

// Kind 4 (markers): a sample v is emitted at once; an odd v is a marker whose count byte
// d makes the run d copies long (d of 0 or 1 leaves the one copy).
// Kinds 5 and 6: an even v is a sample; an odd v is a run header that repeats the next
// byte's value v / 2 times.
template <typename Form, bool kMarkers>
void RunDecoder::FeedRuns(const std::uint8_t* p, const std::uint8_t* end) {
    if (pending_ && p != end) {
        pending_ = false;
        if constexpr (kMarkers) {
            const std::uint8_t copies = kInvertedCount[*p++];
            if (copies >= 2)
                out_.EmitRun(pendingValue_, copies - 1u);
        } else {
            out_.EmitRun(Form::Sample(*p++), pendingValue_);
        }
    }
    while (p != end) {
        std::uint8_t* const start = out_.Space();
        std::uint8_t* d = start;
        DecodeBulk<Form, kMarkers>(p, end, d, start + out_.Room());
        out_.Commit(static_cast<std::size_t>(d - start));
        if (p == end)
            break;
        // One plain sample or one item, with every check.
        const std::uint8_t v = Form::Sample(*p++);
        if ((v & 1) == 0) {
            out_.Emit(v);
            continue;
        }
        if constexpr (kMarkers)
            out_.Emit(v);
        if (p == end) {
            pending_ = true;
            pendingValue_ = kMarkers ? v : static_cast<std::uint8_t>(v >> 1);
            return;
        }
        if constexpr (kMarkers) {
            const std::uint8_t copies = kInvertedCount[*p++];
            if (copies >= 2)
                out_.EmitRun(v, copies - 1u);
        } else {
            out_.EmitRun(Form::Sample(*p++), v >> 1);
        }
    }
}

} // namespace voice
