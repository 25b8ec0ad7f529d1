#include "recording_encoder.h"

#include <gtest/gtest.h>

#include <random>

#include "conversion/byte_transforms.h"
#include "conversion/recording_kind.h"

namespace voice {
namespace {

// Random sound with long runs of one value (longer than any count allows), both odd and
// even, among noise.
Bytes RandomSamples(std::mt19937& rng, std::size_t length) {
    Bytes samples;
    samples.reserve(length);
    while (samples.size() < length) {
        const std::uint8_t value = static_cast<std::uint8_t>(rng());
        const std::size_t run = rng() % 4 == 0 ? rng() % 700 : 1 + rng() % 3;
        samples.insert(samples.end(), std::min(run, length - samples.size()), value);
    }
    return samples;
}

std::vector<std::size_t> LengthsAroundBlocks() {
    std::vector<std::size_t> lengths = {0, 1, 2, 3, 127, 128, 255, 256};
    for (std::size_t k = 1; k <= 3; ++k)
        for (std::size_t base : {4096 * k, 16 + 4096 * k})
            for (std::size_t d = 0; d <= 4; ++d) {
                lengths.push_back(base + d);
                lengths.push_back(base - d);
            }
    return lengths;
}

TEST(RecordingEncoder, DecodingGivesBackTheSamples) {
    std::mt19937 rng(20261207);
    for (auto kind : {RecordingKind::Inverted, RecordingKind::InvertedRuns,
                      RecordingKind::SwappedRuns, RecordingKind::PlainRuns}) {
        for (std::size_t length : LengthsAroundBlocks()) {
            const Bytes samples = RandomSamples(rng, length);
            const Bytes stored = EncodeSamples(kind, samples);
            for (std::size_t block : {4096u, 1u, 5u, 0u})
                ASSERT_EQ(DecodeSamples(kind, stored, block), samples)
                    << "kind " << int(kind) << ", length " << length << ", block " << block;
        }
    }
}

// A run item whose first byte is the last of a 4096-byte block and whose count or value
// byte starts the next block, with the run itself crossing 4096 output samples.
TEST(RecordingEncoder, RunItemCutByABlockEnd) {
    for (auto kind :
         {RecordingKind::InvertedRuns, RecordingKind::SwappedRuns, RecordingKind::PlainRuns}) {
        for (std::uint8_t runValue : {0x81, 0x42}) {
            Bytes samples;
            for (std::size_t i = 0; i < 4095; ++i)
                samples.push_back(i % 2 ? 0x10 : 0x12); // lone even samples: one byte each
            samples.insert(samples.end(), 300, runValue);
            samples.push_back(0x20);
            const Bytes stored = EncodeSamples(kind, samples);
            const ByteTable& function = kind == RecordingKind::InvertedRuns  ? kInvertedSample
                                        : kind == RecordingKind::SwappedRuns ? kSwappedSample
                                                                             : kPlainSample;
            // Kind 4 stores even runs sample by sample: only odd ones make an item there.
            if (kind == RecordingKind::InvertedRuns && runValue % 2 == 0)
                continue;
            ASSERT_EQ(function[stored[4095]] & 1, 1) << "no marker or header at 4095";
            EXPECT_EQ(DecodeSamples(kind, stored, 4096), samples)
                << int(kind) << " " << int(runValue);
        }
    }
}

TEST(ParseWav, FindsTheDataChunkBehindOtherChunks) {
    Bytes file = EncodeWav(Bytes{1, 2, 3}, {22050, 1, 8});
    // Move "data" behind a LIST chunk of odd size (padded to even).
    const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    file.insert(file.begin() + 36, list.begin(), list.end());
    const auto parsed = ParseWav(file);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->data, (Bytes{1, 2, 3}));
    EXPECT_EQ(parsed->format.sampleRate, 22050u);

    Bytes cut = EncodeWav(Bytes{1, 2, 3, 4, 5});
    cut.resize(cut.size() - 2);
    EXPECT_EQ(ParseWav(cut)->data, (Bytes{1, 2, 3}));
    EXPECT_FALSE(ParseWav(Bytes{1, 2, 3}));
}

} // namespace
} // namespace voice
