// One decoder (FUZZED_KIND 3 to 6) over an arbitrary stream fed in blocks of random
// sizes: the samples equal a plain byte-at-a-time decoding of the whole stream, whatever
// the blocks; full pieces reach the sink at the buffer's size; and encoding the samples
// again decodes back to them.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "conversion/byte_transforms.h"
#include "conversion/run_decoders.h"
#include "recording_encoder.h"

namespace {

using voice::Bytes;
constexpr auto kKind = static_cast<voice::RecordingKind>(FUZZED_KIND);

// The stored form's rules, written out plainly over the whole stream.
Bytes ReferenceDecode(const Bytes& in) {
    Bytes out;
    for (std::size_t i = 0; i < in.size();) {
        const std::uint8_t b = in[i++];
        if constexpr (FUZZED_KIND == 3) {
            out.push_back(static_cast<std::uint8_t>(~(b >> 3 | b << 5)));
        } else if constexpr (FUZZED_KIND == 4) {
            const auto v = static_cast<std::uint8_t>(~(b >> 3 | b << 5));
            out.push_back(v);
            if ((v & 1) && i < in.size()) {
                const std::uint8_t c = in[i++];
                const auto d = static_cast<std::uint8_t>(~(c >> 2 | c << 6));
                for (int k = 1; k < d; ++k)
                    out.push_back(v);
            }
        } else {
            const auto t = [](std::uint8_t x) {
                return FUZZED_KIND == 5 ? static_cast<std::uint8_t>(~(x >> 4 | x << 4)) : x;
            };
            const std::uint8_t v = t(b);
            if ((v & 1) == 0) {
                out.push_back(v);
            } else if (i < in.size()) {
                const std::uint8_t value = t(in[i++]);
                out.insert(out.end(), v >> 1, value);
            }
        }
    }
    return out;
}

class CheckingSink final : public voice::SampleSink {
public:
    Bytes bytes;
    bool shortPieceSeen = false;
    void WritePiece(std::span<const std::uint8_t> piece) override {
        if (shortPieceSeen)
            std::abort(); // only the final flush may be shorter than the buffer
        if (piece.size() != voice::OutputBuffer::kSize)
            shortPieceSeen = true;
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
};

Bytes DecodeInBlocks(const Bytes& stored, std::mt19937& rng) {
    CheckingSink sink;
    auto buffer = std::make_unique<voice::OutputBuffer>(sink);
    voice::RunDecoder decoder(kKind, *buffer);
    for (std::size_t at = 0; at < stored.size();) {
        // Mostly tiny blocks, so items are cut at every place, sometimes large ones.
        const std::size_t block = rng() % 4 == 0 ? 1 + rng() % 5000 : 1 + rng() % 4;
        const std::size_t n = std::min(block, stored.size() - at);
        const std::span<const std::uint8_t> piece(stored.data() + at, n);
        if constexpr (FUZZED_KIND == 3)
            buffer->AppendInverted(piece);
        else
            decoder.Feed(piece);
        at += n;
    }
    decoder.Finish();
    return sink.bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    std::mt19937 rng(data[0] | data[1] << 8);
    const Bytes stored(data + 2, data + size);

    const Bytes expected = ReferenceDecode(stored);
    if (DecodeInBlocks(stored, rng) != expected)
        std::abort();
    if (voice::DecodeSamples(kKind, stored) != expected)
        std::abort(); // one block

    if (voice::DecodeSamples(kKind, voice::EncodeSamples(kKind, expected)) != expected)
        std::abort();
    return 0;
}
