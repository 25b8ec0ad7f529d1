// The playback file read as samples for the listening aids: every PCM layout a copied WAV
// recording may have, mixed to mono at its own rate; what cannot be read stays as it is;
// and the 16-bit file written back reads as the same samples.

#include "conversion/playback_samples.h"
#include "conversion/wav/wav_format.h"

#include "conversion/wav/wav_header.h"
#include "memory_conversion.h"
#include "review/review_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace voice {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, const std::string& tag) {
    b.insert(b.end(), tag.begin(), tag.end());
}
void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct Layout {
    unsigned format, channels, bits;
    std::uint32_t rate;
    bool extensible = false;
    bool listBeforeData = false;
};

// A WAV file as another tool writes it, frames given as raw sample bytes.
Bytes MakeWav(const Layout& l, const Bytes& data, std::uint32_t statedDataSize = 0) {
    Bytes b;
    Put(b, "RIFF");
    Put32(b, 0);
    Put(b, "WAVEfmt ");
    Put32(b, l.extensible ? 40 : 16);
    Put16(b, l.extensible ? 0xFFFE : l.format);
    Put16(b, l.channels);
    Put32(b, l.rate);
    Put32(b, l.rate * l.channels * l.bits / 8);
    Put16(b, l.channels * l.bits / 8);
    Put16(b, l.bits);
    if (l.extensible) {
        Put16(b, 22);
        Put16(b, l.bits);
        Put32(b, 0);
        Put16(b, l.format); // the GUID's first two bytes name the format
        b.insert(b.end(), std::begin(kWavSubFormatTail), std::end(kWavSubFormatTail));
    }
    if (l.listBeforeData) {
        Put(b, "LIST");
        Put32(b, 4);
        Put(b, "INFO");
    }
    Put(b, "data");
    Put32(b, statedDataSize ? statedDataSize : static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    const auto riff = static_cast<std::uint32_t>(b.size() - 8);
    std::memcpy(&b[4], &riff, 4);
    return b;
}

Bytes S16(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values)
        Put16(b, static_cast<unsigned>(v) & 0xFFFF);
    return b;
}
Bytes S24(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values)
        for (int k = 0; k < 3; ++k)
            b.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(v) >> (8 * k)));
    return b;
}
Bytes S32(std::initializer_list<std::int64_t> values) {
    Bytes b;
    for (auto v : values)
        Put32(b, static_cast<std::uint32_t>(v));
    return b;
}
Bytes F32(std::initializer_list<float> values) {
    Bytes b;
    for (float v : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        Put32(b, bits);
    }
    return b;
}

TEST(PlaybackSamplesTest, EveryPcmLayoutIsMixedToMonoAtItsOwnRate) {
    const struct {
        const char* name;
        Layout layout;
        Bytes data;
        std::vector<float> mono;
    } cases[] = {
        {"8-bit mono", {1, 1, 8, 7860}, {128, 192, 64, 255}, {0, 0.5f, -0.5f, 127 / 128.0f}},
        {"8-bit stereo", {1, 2, 8, 8000}, {192, 64, 255, 255}, {0, 127 / 128.0f}},
        {"16-bit stereo", {1, 2, 16, 44100}, S16({16384, -8192, -32768, -32768}), {0.125f, -1}},
        {"16-bit extensible", {1, 2, 16, 22050, true}, S16({16384, 16384}), {0.5f}},
        {"16-bit after a LIST chunk",
         {1, 1, 16, 16000, false, true},
         S16({-16384, 8192}),
         {-0.5f, 0.25f}},
        {"24-bit mono", {1, 1, 24, 48000}, S24({4194304, -8388608}), {0.5f, -1}},
        {"32-bit integer three channels",
         {1, 3, 32, 11025},
         S32({1073741824, 1073741824, -2147483648ll}),
         {(0.5f + 0.5f - 1) / 3}},
        {"32-bit float", {3, 1, 32, 8000}, F32({0.25f, -2.0f}), {0.25f, -1}},
    };
    for (const auto& c : cases) {
        const auto read = PlaybackSamplesOfWav(MakeWav(c.layout, c.data));
        ASSERT_TRUE(read) << c.name;
        EXPECT_EQ(read->sampleRate, static_cast<int>(c.layout.rate)) << c.name;
        ASSERT_EQ(read->samples.size(), c.mono.size()) << c.name;
        for (std::size_t i = 0; i < c.mono.size(); ++i)
            EXPECT_NEAR(read->samples[i], c.mono[i], 1e-6) << c.name << " sample " << i;
    }
}

TEST(PlaybackSamplesTest, WhatIsNotReadablePcmIsLeftToPlayAsItStands) {
    const Bytes headerless(100, 128);
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"empty (an undecodable recording)", {}},
        {"headerless bytes", headerless},
        {"compressed", MakeWav({2, 1, 4, 8000}, Bytes(64, 1))},
        {"12-bit", MakeWav({1, 1, 12, 8000}, Bytes(64, 1))},
        {"no channels", MakeWav({1, 0, 16, 8000}, Bytes(64, 1))},
        {"no rate", MakeWav({1, 1, 16, 0}, Bytes(64, 1))},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(PlaybackSamplesOfWav(c.file)) << c.name;
}

TEST(PlaybackSamplesTest, ADataChunkLongerThanTheFileEndsWithTheLastWholeFrame) {
    const auto read =
        PlaybackSamplesOfWav(MakeWav({1, 2, 16, 8000}, S16({100, 100, 200, 200, 300}), 1000000));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->samples.size(), 2u);
}

TEST(PlaybackSamplesTest, TheDesignedPlaybackFileReadsAsItsBytes) {
    const WavHeader header = WavHeaderForSource(5);
    Bytes file(header.begin(), header.end());
    const Bytes samples = {0, 64, 128, 200, 255};
    file.insert(file.end(), samples.begin(), samples.end());
    const auto read = PlaybackSamplesOfWav(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->sampleRate, static_cast<int>(kPlaybackSampleRate));
    EXPECT_EQ(read->samples, review::SamplesFromU8(samples));
}

TEST(PlaybackSamplesTest, TheWritten16BitFileReadsBackExactly) {
    const std::vector<std::int16_t> values = {0, 1, -1, 32767, -32768, 12345, -4321};
    const std::vector<float> samples = review::SamplesFromS16(values);
    const auto data = review::ToS16(samples);
    for (const int rate : {7860, 8000, 44100}) {
        Bytes file = Mono16WavHeader(rate, static_cast<std::uint32_t>(data.size() * 2));
        const auto* raw = reinterpret_cast<const std::uint8_t*>(data.data());
        file.insert(file.end(), raw, raw + data.size() * 2);
        const auto read = PlaybackSamplesOfWav(file);
        ASSERT_TRUE(read) << rate;
        EXPECT_EQ(read->sampleRate, rate);
        EXPECT_EQ(review::ToS16(read->samples), values) << rate;
    }
}

// Frames that differ from their neighbours, so a stretch read from the wrong place shows.
Bytes Ramp(std::size_t bytes) {
    Bytes b(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return b;
}

TEST(PlaybackSamplesTest, AStretchReadsAsThatStretchOfTheWholeFile) {
    // Over a megabyte of raw samples: the stretches cross the reader's pieces.
    const struct {
        const char* name;
        Layout layout;
        std::size_t dataBytes;
        std::uint64_t first, count;
    } cases[] = {
        {"8-bit mono from the start", {1, 1, 8, 7860}, 3'000'000, 0, 100},
        {"8-bit mono across pieces", {1, 1, 8, 7860}, 3'000'000, 1'000'000, 1'500'000},
        {"16-bit stereo across pieces", {1, 2, 16, 16000}, 2'400'000, 200'001, 300'000},
        {"24-bit mono after a LIST chunk", {1, 1, 24, 48000, false, true}, 1'500'000, 7, 400'000},
        {"past the end: what there is", {1, 2, 16, 8000}, 40'000, 9'000, 5'000},
        {"starting past the end: nothing", {1, 1, 8, 8000}, 1'000, 5'000, 10},
    };
    for (const auto& c : cases) {
        const Bytes file = MakeWav(c.layout, Ramp(c.dataBytes));
        const auto whole = PlaybackSamplesOfWav(file);
        ASSERT_TRUE(whole) << c.name;
        test::CountingBytes bytes(file);
        const auto layout = PlaybackLayoutOf(bytes, file.size());
        ASSERT_TRUE(layout) << c.name;
        EXPECT_EQ(layout->frames, whole->samples.size()) << c.name;
        const auto stretch = ReadPlaybackFrames(bytes, *layout, c.first, c.count);
        const std::size_t first = std::min<std::size_t>(c.first, whole->samples.size());
        const std::size_t count = std::min<std::size_t>(c.count, whole->samples.size() - first);
        const std::vector<float> expected(whole->samples.begin() + first,
                                          whole->samples.begin() + first + count);
        EXPECT_EQ(stretch, expected) << c.name;
    }
}

TEST(PlaybackSamplesTest, AShortStretchReadsOnlyItsOwnBytes) {
    const Bytes file = MakeWav({1, 1, 8, 7860}, Ramp(20'000'000));
    test::CountingBytes bytes(file);
    const auto layout = PlaybackLayoutOf(bytes, file.size());
    ASSERT_TRUE(layout);
    bytes.reads = 0;
    EXPECT_EQ(ReadPlaybackFrames(bytes, *layout, 10'000'000, 1000).size(), 1000u);
    EXPECT_EQ(bytes.reads, 1); // not the twenty pieces of the whole
}

} // namespace
} // namespace voice
