#include "conversion/run_decoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "recording_encoder.h"

namespace voice {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Decode(RecordingKind kind, const Bytes& stored, std::size_t blockSize = 0) {
    return DecodeSamples(kind, stored, blockSize);
}

TEST(ByteFunctions, SingleStoredBytes) {
    // Columns: stored byte; kind-3 sample; kind-4 count; kind-5 byte function.
    struct Row {
        std::uint8_t stored, sample, count, swapped;
    } const rows[] = {
        {0x00, 0xFF, 0xFF, 0xFF}, {0xFF, 0x00, 0x00, 0x00}, {0x80, 0xEF, 0xDF, 0xF7},
        {0x7F, 0x10, 0x20, 0x08}, {0x01, 0xDF, 0xBF, 0xEF}, {0x12, 0xBD, 0x7B, 0xDE},
        {0xA5, 0x4B, 0x96, 0xA5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "stored " << int(r.stored));
        EXPECT_EQ(Decode(RecordingKind::Inverted, {r.stored}), Bytes{r.sample});
        // F3 is marker 81: the count byte makes a run of max(count, 1) copies.
        EXPECT_EQ(Decode(RecordingKind::InvertedRuns, {0xF3, r.stored}),
                  Bytes(r.count < 2 ? 1 : r.count, 0x81));
        // CF is kind-5 run header 03: one copy of the next byte's value.
        EXPECT_EQ(Decode(RecordingKind::SwappedRuns, {0xCF, r.stored}), Bytes{r.swapped});
    }
}

struct SequenceCase {
    const char* name;
    RecordingKind kind;
    Bytes stored, samples;
    bool atEnd = false; // the case is about the end of the recording
};

const SequenceCase kSequences[] = {
    {"kind-4 run of five",
     RecordingKind::InvertedRuns,
     {0xFB, 0xF3, 0xEB, 0xFB},
     {0x80, 0x81, 0x81, 0x81, 0x81, 0x81, 0x80}},
    {"kind-4 count 0", RecordingKind::InvertedRuns, {0xF3, 0xFF, 0xFB}, {0x81, 0x80}},
    {"kind-4 count 1", RecordingKind::InvertedRuns, {0xF3, 0xFB, 0xFB}, {0x81, 0x80}},
    {"kind-4 count 2", RecordingKind::InvertedRuns, {0xF3, 0xF7, 0xFB}, {0x81, 0x81, 0x80}},
    {"kind-4 final marker plays once",
     RecordingKind::InvertedRuns,
     {0xFB, 0xF3},
     {0x80, 0x81},
     true},
    {"kind-5 final sample is kept",
     RecordingKind::SwappedRuns,
     {0xF7, 0x4F, 0xE7, 0xF7},
     {0x80, 0x81, 0x81, 0x81, 0x81, 0x81, 0x80},
     true},
    {"kind-5 final header is dropped", RecordingKind::SwappedRuns, {0xF7, 0x4F}, {0x80}, true},
    {"kind-6 run of five",
     RecordingKind::PlainRuns,
     {0x80, 0x0B, 0x81, 0x80},
     {0x80, 0x81, 0x81, 0x81, 0x81, 0x81, 0x80}},
    {"kind-6 empty run takes its value",
     RecordingKind::PlainRuns,
     {0x80, 0x01, 0x55, 0x82, 0x84},
     {0x80, 0x82, 0x84},
     true},
    {"kind-6 odd value in a run", RecordingKind::PlainRuns, {0x05, 0x03}, {0x03, 0x03}},
    {"kind-6 final header is dropped", RecordingKind::PlainRuns, {0x80, 0x0B}, {0x80}, true},
    {"kind-6 nothing", RecordingKind::PlainRuns, {}, {}},
};

TEST(RunDecoders, WorkedSequences) {
    for (const auto& c : kSequences)
        EXPECT_EQ(Decode(c.kind, c.stored), c.samples) << c.name;
}

// The recording decodes as one stream: no split of it into blocks changes the samples.
TEST(RunDecoders, WorkedSequencesDoNotDependOnBlockEnds) {
    for (const auto& c : kSequences) {
        for (std::size_t split = 1; split < c.stored.size(); ++split) {
            Bytes out;
            struct : SampleSink {
                Bytes* out;
                void WritePiece(std::span<const std::uint8_t> p) override {
                    out->insert(out->end(), p.begin(), p.end());
                }
            } sink;
            sink.out = &out;
            OutputBuffer buffer(sink);
            RunDecoder decoder(c.kind, buffer);
            decoder.Feed(std::span(c.stored).first(split));
            decoder.Feed(std::span(c.stored).subspan(split));
            decoder.Finish();
            EXPECT_EQ(out, c.samples) << c.name << ", split after " << split;
        }
        EXPECT_EQ(Decode(c.kind, c.stored, 1), c.samples) << c.name << ", byte by byte";
    }
}

// Long streams take a faster path than a few bytes do: the same sequences amid plain
// samples (0x80, stored as FB, F7 or 80 by kind) give the same samples.
TEST(RunDecoders, WorkedSequencesAmidLongStreams) {
    for (const auto& c : kSequences) {
        const std::uint8_t plain = c.kind == RecordingKind::InvertedRuns  ? 0xFB
                                   : c.kind == RecordingKind::SwappedRuns ? 0xF7
                                                                          : 0x80;
        for (std::size_t before : {0u, 1u, 7u, 8u, 9u, 40u}) {
            const std::size_t after = c.atEnd ? 0 : 40;
            Bytes stored(before, plain);
            stored.insert(stored.end(), c.stored.begin(), c.stored.end());
            stored.insert(stored.end(), after, plain);
            Bytes expected(before, 0x80);
            expected.insert(expected.end(), c.samples.begin(), c.samples.end());
            expected.insert(expected.end(), after, 0x80);
            EXPECT_EQ(Decode(c.kind, stored), expected) << c.name << ", " << before << " before";
        }
    }
}

// Pieces reach the file a full buffer at a time, a run being cut where the buffer
// fills, and the last shorter piece comes with Finish.
TEST(OutputBuffer, WritesFullPiecesThenTheRest) {
    struct PieceSink : SampleSink {
        std::vector<std::size_t> sizes;
        Bytes bytes;
        void WritePiece(std::span<const std::uint8_t> p) override {
            sizes.push_back(p.size());
            bytes.insert(bytes.end(), p.begin(), p.end());
        }
    } sink;
    OutputBuffer buffer(sink);
    RunDecoder decoder(RecordingKind::InvertedRuns, buffer);
    // Even samples up to 96 short of a full buffer, then a marker run of 200 copies of 81.
    constexpr std::size_t kPlain = OutputBuffer::kSize - 96;
    Bytes stored(kPlain, 0xFB);
    stored.push_back(0xF3);
    stored.push_back(static_cast<std::uint8_t>(~(200 << 2 | 200 >> 6)));
    decoder.Feed(stored);
    EXPECT_EQ(sink.sizes, std::vector<std::size_t>{OutputBuffer::kSize});
    EXPECT_EQ(buffer.Fill(), 104u);
    decoder.Finish();
    EXPECT_EQ(sink.sizes, (std::vector<std::size_t>{OutputBuffer::kSize, 104}));
    Bytes expected(kPlain + 200, 0x81);
    std::fill_n(expected.begin(), kPlain, 0x80);
    EXPECT_EQ(sink.bytes, expected);
}

} // namespace
} // namespace voice
