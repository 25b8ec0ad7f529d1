// The speed change: length, pitch, level, smoothness and silence at every offered speed.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "review/review_pipeline.h"
#include "review/time_stretch.h"
#include "review_signals.h"

namespace voice::review {
namespace {

using test::kRate;

std::string SpeedName(double speed) {
    std::string name = std::to_string(static_cast<int>(std::lround(speed * 100)));
    return "x" + name;
}

TEST(TimeStretchLength, IsTheOriginalOverTheSpeedAtEveryOfferedSpeed) {
    const std::size_t lengths[] = {0, 1, 57, 2000, 3 * kRate + 17};
    for (const std::size_t length : lengths) {
        const std::vector<float> source = test::Noise(static_cast<double>(length) / kRate, 0.1, 3);
        for (const double speed : OfferedSpeeds()) {
            const std::vector<float> out = TimeStretch(source, kRate, speed);
            const double wanted = static_cast<double>(source.size()) / speed;
            EXPECT_LE(std::fabs(static_cast<double>(out.size()) - wanted), 0.005 * wanted + 0.5)
                << "length " << length << " at " << speed;
            EXPECT_EQ(out.size(), StretchedLength(source.size(), speed));
        }
    }
}

TEST(TimeStretchLength, SpeedsOutsideTheOfferedRangeAreClamped) {
    const std::vector<float> source = test::Noise(1.0, 0.1, 4);
    const struct {
        double asked;
        double used;
    } cases[] = {{0.1, 0.5}, {-2, 0.5}, {9, 3.0}, {NAN, 1.0}, {INFINITY, 3.0}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimeStretch(source, kRate, c.asked).size(),
                  StretchedLength(source.size(), c.used))
            << c.asked;
    }
}

// A crossfade between two well-aligned pieces of a sound whose pitch glides differs from
// the source by a hair; a click between misaligned pieces is a step many times the
// source's largest.
constexpr float kStepAllowance = 1.01f;

// One voiced sound at every speed: the pitch, the level and the smoothness of the waveform
// are the source's.
class VoicedStretch : public testing::TestWithParam<std::tuple<double, double>> {};

TEST_P(VoicedStretch, KeepsPitchLevelAndSmoothness) {
    const auto [f0, speed] = GetParam();
    const std::vector<float> source = test::Voiced(f0, 2.0, 0.2);
    const std::vector<float> out = TimeStretch(source, kRate, speed);

    const double pitchIn = test::FundamentalHz(source);
    const double pitchOut = test::FundamentalHz(out);
    ASSERT_GT(pitchIn, 0.0);
    EXPECT_NEAR(pitchOut / pitchIn, 1.0, 0.01) << pitchIn << " Hz became " << pitchOut << " Hz";
    EXPECT_NEAR(test::RmsDb(out), test::RmsDb(source), 0.5);
    EXPECT_LE(test::LargestStep(out), kStepAllowance * test::LargestStep(source));
}

INSTANTIATE_TEST_SUITE_P(EveryOfferedSpeed, VoicedStretch,
                         testing::Combine(testing::Values(90.0, 140.0, 220.0, 300.0),
                                          testing::ValuesIn(std::vector<double>(
                                              OfferedSpeeds().begin(), OfferedSpeeds().end()))),
                         [](const auto& info) {
                             return std::to_string(static_cast<int>(std::get<0>(info.param))) +
                                    "Hz_" + SpeedName(std::get<1>(info.param));
                         });

TEST(TimeStretchSilence, SilenceStaysSilence) {
    const std::vector<float> silence(3 * kRate, 0.0f);
    // Voiced, then two seconds of silence, then voiced: the silence's inside stays silent.
    std::vector<float> mixed = test::Voiced(150, 1.0, 0.2);
    const std::size_t quietFrom = mixed.size();
    test::Append(mixed, silence);
    const std::size_t quietTo = mixed.size() - kRate;
    test::Append(mixed, test::Voiced(150, 1.0, 0.2));
    for (const double speed : OfferedSpeeds()) {
        // What is heard at an output moment comes from its source moment, from up to a
        // 25 ms block ahead of it, and from the continuation of the piece before, which
        // lags by (speed - 1) blocks; each piece may move by 6 ms more.
        const double margin = (0.026 * (speed + 1) + 0.0065 + 0.005) * kRate;
        const std::vector<float> out = TimeStretch(silence, kRate, speed);
        EXPECT_EQ(test::Peak(out), 0.0f) << speed;

        const std::vector<float> outMixed = TimeStretch(mixed, kRate, speed);
        const auto from = static_cast<std::size_t>((quietFrom + margin) / speed);
        const auto to = static_cast<std::size_t>((quietTo - margin) / speed);
        EXPECT_EQ(test::Peak(std::span(outMixed).subspan(from, to - from)), 0.0f) << speed;
        EXPECT_GT(test::Peak(std::span(outMixed).first(from)), 0.1f) << speed;
    }
}

// Bursts of different pitch one after another: the joins between sounds are no harsher
// than the sounds themselves, at every speed.
TEST(TimeStretchSmoothness, NoStepLargerThanTheSourcesOwn) {
    std::vector<float> source;
    for (const double f0 : {110.0, 260.0, 95.0, 180.0}) {
        test::Append(source, test::Voiced(f0, 0.4, 0.15));
        test::Append(source, test::Noise(0.2, 0.01, static_cast<unsigned>(f0)));
    }
    for (const double speed : OfferedSpeeds()) {
        EXPECT_LE(test::LargestStep(TimeStretch(source, kRate, speed)),
                  kStepAllowance * test::LargestStep(source))
            << speed;
    }
}

// The playback file's writer feeds the recording in pieces as it is decoded: whatever
// the pieces, the output is the whole pass's, sample for sample.
TEST(StretchStream, PiecesOfAnySizeGiveTheWholePassesOutput) {
    std::vector<std::uint8_t> bytes;
    for (const float s : test::Voiced(170, 4.0, 0.2)) {
        bytes.push_back(static_cast<std::uint8_t>(128 + std::lround(s * 100)));
    }
    const std::vector<float> samples = SamplesFromU8(bytes);
    struct Collect final : StretchSink {
        void Take(std::span<const float> piece) override { test::Append(out, piece); }
        std::vector<float> out;
    };
    const std::size_t pieces[] = {1, 7, 116, 5000, 40000};
    for (const double speed : {0.5, 1.25, 3.0}) {
        const std::vector<float> whole = TimeStretch(samples, kRate, speed);
        for (const std::size_t piece : pieces) {
            Collect collect, collectU8;
            StretchStream stream(kRate, speed), streamU8(kRate, speed);
            for (std::size_t at = 0; at < samples.size(); at += piece) {
                const std::size_t count = std::min(piece, samples.size() - at);
                stream.Push(std::span(samples).subspan(at, count), collect);
                streamU8.PushU8(std::span(bytes).subspan(at, count), collectU8);
            }
            stream.Finish(collect);
            streamU8.Finish(collectU8);
            EXPECT_EQ(collect.out, whole) << speed << " in pieces of " << piece;
            EXPECT_EQ(collectU8.out, whole) << speed << " in 8-bit pieces of " << piece;
        }
    }
}

// Recordings at other rates (WAV files of any layout) search on sums of other lengths;
// the pitch and the length rule hold all the same.
TEST(TimeStretchRates, KeepsPitchAndLengthAtOtherSampleRates) {
    for (const int rate : {8000, 11025, 16000, 22050, 44100}) {
        for (const double f0 : {100.0, 250.0}) {
            const std::vector<float> source = test::Voiced(f0, 1.0, 0.2, rate);
            for (const double speed : {0.75, 1.5, 2.5}) {
                const std::vector<float> out = TimeStretch(source, rate, speed);
                EXPECT_EQ(out.size(), StretchedLength(source.size(), speed));
                EXPECT_NEAR(test::FundamentalHz(out, rate) / test::FundamentalHz(source, rate), 1.0,
                            0.01)
                    << f0 << " Hz at " << rate << " Hz, speed " << speed;
                EXPECT_LE(test::LargestStep(out), kStepAllowance * test::LargestStep(source))
                    << f0 << " Hz at " << rate << " Hz, speed " << speed;
            }
        }
    }
}

// Samples that are not whole steps of 1/128 (16-bit and mixed WAV files) give sums whose
// rounding depends on the order of addition: the vector and the plain loops must add alike,
// or the output would change with the pieces the recording arrives in.
TEST(StretchStream, FloatPiecesGiveTheWholePassesOutputAtEveryRate) {
    for (const int rate : {7860, 16000, 44100}) {
        std::vector<float> samples = test::Voiced(133.3, 1.5, 0.2, rate);
        test::Append(samples, test::Noise(0.5, 0.05, 9, rate));
        struct Collect final : StretchSink {
            void Take(std::span<const float> piece) override { test::Append(out, piece); }
            std::vector<float> out;
        };
        for (const double speed : {0.75, 1.5, 2.5}) {
            const std::vector<float> whole = TimeStretch(samples, rate, speed);
            for (const std::size_t piece : {3, 61, 4099}) {
                Collect collect;
                StretchStream stream(rate, speed);
                for (std::size_t at = 0; at < samples.size(); at += piece) {
                    stream.Push(
                        std::span(samples).subspan(at, std::min(piece, samples.size() - at)),
                        collect);
                }
                stream.Finish(collect);
                EXPECT_EQ(collect.out, whole)
                    << rate << " Hz at " << speed << " in pieces of " << piece;
            }
        }
    }
}

} // namespace
} // namespace voice::review
