#include "conversion/wav_header.h"

#include <gtest/gtest.h>

#include <cstring>

namespace voice {
namespace {

std::uint32_t At32(const WavHeader& h, std::size_t at) {
    return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | static_cast<std::uint32_t>(h[at + 3]) << 24;
}
std::uint16_t At16(const WavHeader& h, std::size_t at) {
    return static_cast<std::uint16_t>(h[at] | h[at + 1] << 8);
}

TEST(WavHeader, DescribesEightBitMonoAt7860) {
    const WavHeader h = WavHeaderForSource(1000);
    EXPECT_EQ(std::memcmp(&h[0], "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(&h[8], "WAVEfmt ", 8), 0);
    EXPECT_EQ(std::memcmp(&h[36], "data", 4), 0);
    EXPECT_EQ(At32(h, 16), 16u);
    EXPECT_EQ(At16(h, 20), 1u);
    EXPECT_EQ(At16(h, 22), 1u);
    EXPECT_EQ(At32(h, 24), 7860u);
    EXPECT_EQ(At32(h, 28), 7860u);
    EXPECT_EQ(At16(h, 32), 1u);
    EXPECT_EQ(At16(h, 34), 8u);
}

TEST(WavHeader, SizesByMode) {
    struct Case {
        const char* name;
        WavHeader header;
        std::uint32_t riff, data;
    } const cases[] = {
        {"empty source", WavHeaderForSource(0), 36, 0},
        {"source of 1000", WavHeaderForSource(1000), 1036, 1000},
        {"little-endian bytes", WavHeaderForSource(0x01020304), 0x01020328, 0x01020304},
        {"in place, header only", WavHeaderInPlace(44), 36, 0},
        {"in place, 1000 samples", WavHeaderInPlace(1044), 1036, 1000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(At32(c.header, 4), c.riff) << c.name;
        EXPECT_EQ(At32(c.header, 40), c.data) << c.name;
    }
    const WavHeader h = WavHeaderForSource(0x01020304);
    EXPECT_EQ(h[40], 0x04);
    EXPECT_EQ(h[43], 0x01);
}

} // namespace
} // namespace voice
