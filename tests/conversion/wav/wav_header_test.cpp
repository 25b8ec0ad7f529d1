#include "conversion/wav/wav_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace voice {
namespace {

std::uint32_t At32(const WavHeader& h, std::size_t at) {
    return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | static_cast<std::uint32_t>(h[at + 3]) << 24;
}

TEST(WavHeader, FixedFieldsAndSizesByMode) {
    const WavHeader fixed = WavHeaderForSource(1000);
    EXPECT_EQ(std::memcmp(fixed.data(), "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(&fixed[8], "WAVEfmt \x10\0\0\0\x01\0\x01\0", 16), 0);
    EXPECT_EQ(At32(fixed, 24), 7860u); // samples and bytes per second
    EXPECT_EQ(At32(fixed, 28), 7860u);
    EXPECT_EQ(std::memcmp(&fixed[32], "\x01\0\x08\0data", 8), 0);

    struct Case {
        const char* name;
        WavHeader header;
        std::uint32_t riff, data;
    } const cases[] = {
        {"empty source", WavHeaderForSource(0), 36, 0},
        {"source of 1000", WavHeaderForSource(1000), 1036, 1000},
        {"in place, header only", WavHeaderInPlace(44), 36, 0},
        {"in place, 1000 samples", WavHeaderInPlace(1044), 1036, 1000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(At32(c.header, 4), c.riff) << c.name;
        EXPECT_EQ(At32(c.header, 40), c.data) << c.name;
    }
    const WavHeader h = WavHeaderForSource(0x01020304); // least significant byte first
    EXPECT_EQ(std::vector<std::uint8_t>(h.begin() + 40, h.end()),
              (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01}));
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

TEST(IncidentWav, TracksUseTheExtensibleFormatWithoutSpeakerPositions) {
    const auto h = Pcm16WavHeader(16000, 5, 1000, 1060, true);
    ASSERT_EQ(h.size(), Pcm16WavHeaderSize(true));
    EXPECT_EQ(Le(h, 16, 4), 40u);         // fmt size
    EXPECT_EQ(Le(h, 20, 2), 0xFFFEu);     // extensible
    EXPECT_EQ(Le(h, 22, 2), 5u);          // channels
    EXPECT_EQ(Le(h, 28, 4), 16000u * 10); // bytes per second
    EXPECT_EQ(Le(h, 32, 2), 10u);         // block align
    EXPECT_EQ(Le(h, 36, 2), 22u);         // extension size
    EXPECT_EQ(Le(h, 38, 2), 16u);         // valid bits
    EXPECT_EQ(Le(h, 40, 4), 0u);          // no speaker positions
    EXPECT_EQ(Le(h, 44, 2), 1u);          // PCM sub-format
    EXPECT_EQ(Le(h, 56, 4), 0x719B3800u); // the GUID's tail
    EXPECT_EQ(std::string(h.begin() + 60, h.begin() + 64), "data");
    EXPECT_EQ(Le(h, 64, 4), 1000u);
}

// The 16-bit header of the playback file and of the incident: every field a player reads,
// for any number of channels, the RIFF size counting chunks after the data when there are.
TEST(Pcm16WavHeader, CanonicalFieldsForAnyFrames) {
    const struct {
        int rate, channels;
        std::uint32_t data, riff;
        std::vector<std::uint8_t> header;
    } cases[] = {
        {7860, 1, 0, 36, Mono16WavHeader(7860, 0)},
        {7860, 1, 15720, 15756, Pcm16WavHeader(7860, 1, 15720)},
        {16000, 2, 64000, 64036, Pcm16WavHeader(16000, 2, 64000)},
        {44100, 8, 16, 52, Pcm16WavHeader(44100, 8, 16)},
        {8000, 2, 1000, 1200, Pcm16WavHeader(8000, 2, 1000, 1200, false)},
    };
    for (const auto& c : cases) {
        const auto& h = c.header;
        ASSERT_EQ(h.size(), Pcm16WavHeaderSize(false));
        ASSERT_EQ(h.size(), 44u);
        const auto rate = static_cast<std::uint32_t>(c.rate);
        const auto channels = static_cast<std::uint32_t>(c.channels);
        EXPECT_EQ(std::string(h.begin(), h.begin() + 4), "RIFF");
        EXPECT_EQ(Le(h, 4, 4), c.riff);
        EXPECT_EQ(std::string(h.begin() + 8, h.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(Le(h, 16, 4), 16u); // fmt size
        EXPECT_EQ(Le(h, 20, 2), 1u);  // PCM
        EXPECT_EQ(Le(h, 22, 2), channels);
        EXPECT_EQ(Le(h, 24, 4), rate);
        EXPECT_EQ(Le(h, 28, 4), rate * channels * 2); // bytes per second
        EXPECT_EQ(Le(h, 32, 2), channels * 2);        // block align
        EXPECT_EQ(Le(h, 34, 2), 16u);                 // bits
        EXPECT_EQ(std::string(h.begin() + 36, h.begin() + 40), "data");
        EXPECT_EQ(Le(h, 40, 4), c.data);
    }
}

} // namespace
} // namespace voice
