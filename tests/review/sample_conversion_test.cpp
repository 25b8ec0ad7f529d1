// 8-bit samples into the stretch: the vector paths against the plain arithmetic, over
// every byte value, including the extremes speech rarely reaches.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "review/sample_conversion.h"
#include "review/time_stretch.h"

namespace voice::review {
namespace {

constexpr int kRate = 7860;

float Expected(std::uint8_t b) {
    return static_cast<float>(static_cast<int>(b) - 128) / 128.0f;
}

// Every byte value at every position within the vector blocks and in the tail.
TEST(FloatsFromU8, EveryByteAtEveryPositionIsItsValueOver128) {
    const std::size_t counts[] = {1, 15, 16, 17, 256 + 5};
    for (const std::size_t count : counts) {
        for (int first = 0; first < 256; ++first) {
            std::vector<std::uint8_t> bytes(count);
            for (std::size_t i = 0; i < count; ++i) {
                bytes[i] = static_cast<std::uint8_t>(first + static_cast<int>(i) * 37);
            }
            std::vector<float> out(count, 99.0f);
            FloatsFromU8(bytes.data(), count, out.data());
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_EQ(out[i], Expected(bytes[i])) << "byte " << int{bytes[i]} << " at " << i;
            }
        }
    }
}

struct Collect final : StretchSink {
    void Take(std::span<const float> piece) override {
        out.insert(out.end(), piece.begin(), piece.end());
    }
    std::vector<float> out;
};

// The search's coarse sums are made from the bytes when they come as bytes: the output
// must be the float stream's bit for bit, for loud full-range sound (sums near their
// limits), for pieces that split a sum and for pieces that do not.
TEST(StretchStreamU8, BytesGiveTheFloatStreamsOutputOverTheWholeRange) {
    struct Case {
        int low, high; // the bytes' range
        std::size_t piece;
    };
    const Case cases[] = {{0, 255, 8192}, {0, 255, 13}, {0, 3, 1000}, {252, 255, 777}, {0, 255, 1}};
    for (const Case& c : cases) {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> byte(c.low, c.high);
        std::vector<std::uint8_t> bytes(3 * kRate + 5);
        std::vector<float> floats(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            // Runs of one value as well as noise, so whole sums sit at the extremes.
            bytes[i] = static_cast<std::uint8_t>(i / 400 % 3 == 0 ? c.low : byte(rng));
            floats[i] = Expected(bytes[i]);
        }
        for (const double speed : {0.75, 1.5, 2.5}) {
            Collect fromFloats, fromBytes;
            StretchStream a(kRate, speed), b(kRate, speed);
            for (std::size_t at = 0; at < bytes.size(); at += c.piece) {
                const std::size_t count = std::min(c.piece, bytes.size() - at);
                a.Push(std::span(floats).subspan(at, count), fromFloats);
                b.PushU8(std::span(bytes).subspan(at, count), fromBytes);
            }
            a.Finish(fromFloats);
            b.Finish(fromBytes);
            EXPECT_EQ(fromBytes.out, fromFloats.out)
                << c.low << ".." << c.high << " in pieces of " << c.piece << " at " << speed;
        }
    }
}

} // namespace
} // namespace voice::review
