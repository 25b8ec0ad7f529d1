// The stretch on its own thread: the same samples as the stretch in the caller's thread,
// and a failing sink reported, never lost or left hanging.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "review/background_stretch.h"
#include "review/review_pipeline.h"
#include "review_signals.h"

namespace voice::review {
namespace {

using test::kRate;

struct Collect final : StretchSink {
    void Take(std::span<const float> piece) override { test::Append(out, piece); }
    std::vector<float> out;
};

TEST(BackgroundStretch, GivesTheSameSamplesAsTheStretchInPlace) {
    std::vector<std::uint8_t> bytes;
    for (const float s : test::Voiced(120, 3.0, 0.25)) {
        bytes.push_back(static_cast<std::uint8_t>(128 + std::lround(s * 100)));
    }
    const std::vector<float> samples = SamplesFromU8(bytes);
    const struct {
        double speed;
        std::size_t piece;
        bool eightBit;
    } cases[] = {{1.5, 65536, true}, {2.5, 333, true}, {0.75, 4096, false}, {1.0, 1000, false}};
    for (const auto& c : cases) {
        Collect collect;
        {
            BackgroundStretch stretch(kRate, c.speed, collect);
            for (std::size_t at = 0; at < samples.size(); at += c.piece) {
                const std::size_t count = std::min(c.piece, samples.size() - at);
                if (c.eightBit) {
                    stretch.PushU8(std::span(bytes).subspan(at, count));
                } else {
                    stretch.Push(std::span(samples).subspan(at, count));
                }
            }
            stretch.Finish();
        }
        EXPECT_EQ(collect.out, TimeStretch(samples, kRate, c.speed)) << c.speed;
    }
}

TEST(BackgroundStretch, ASinkThatFailsIsReportedByFinish) {
    struct Failing final : StretchSink {
        void Take(std::span<const float>) override { throw std::runtime_error("disk full"); }
    } failing;
    const std::vector<float> samples = test::Voiced(200, 4.0, 0.1);
    BackgroundStretch stretch(kRate, 2.0, failing);
    for (std::size_t at = 0; at < samples.size(); at += 512) {
        stretch.Push(
            std::span(samples).subspan(at, std::min<std::size_t>(512, samples.size() - at)));
    }
    EXPECT_THROW(stretch.Finish(), std::runtime_error);
}

TEST(BackgroundStretch, LeftWithoutFinishingItStopsAndCallsTheSinkNoMore) {
    Collect collect;
    const std::vector<float> samples = test::Voiced(200, 10.0, 0.1);
    {
        BackgroundStretch stretch(kRate, 1.25, collect);
        stretch.Push(samples);
    }
    EXPECT_LT(collect.out.size(), StretchedLength(samples.size(), 1.25));
}

} // namespace
} // namespace voice::review
