#include "conversion/wav/wav_header.h"

#include <gtest/gtest.h>

#include <cstring>
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

} // namespace
} // namespace voice
