// Long pauses cut short: recordings of bursts and pauses of known lengths, on clean and
// noisy lines, come out with the expected length and every burst whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "review/pause_shortener.h"
#include "review_signals.h"

namespace voice::review {
namespace {

using test::kRate;

// A burst of voice (seconds > 0) or a pause (seconds < 0), over a background noise level.
struct Piece {
    double seconds;
    double noiseDb; // below -150: digital silence
};

struct Layout {
    const char* name;
    double speechRms;
    std::vector<Piece> pieces;
};

struct Made {
    std::vector<float> samples;
    std::vector<std::pair<std::size_t, std::size_t>> bursts; // [first, last) sample
    double expectedSeconds = 0;
    int longPauses = 0;
};

// As the guide promises, whatever the code says: pauses over 0.7 s come out 0.25 s long.
constexpr double kCutAfterSeconds = 0.7, kCutToSeconds = 0.25;

Made Make(const Layout& layout) {
    Made made;
    unsigned seed = 1;
    double f0 = 100;
    double pause = 0; // the pause so far: pieces of pause side by side are one
    const auto endPause = [&] {
        made.expectedSeconds += pause > kCutAfterSeconds ? kCutToSeconds : pause;
        made.longPauses += pause > kCutAfterSeconds;
        pause = 0;
    };
    for (const Piece& piece : layout.pieces) {
        const double seconds = std::fabs(piece.seconds);
        std::vector<float> part = test::Noise(seconds, std::pow(10.0, piece.noiseDb / 20), ++seed);
        const std::size_t at = made.samples.size();
        if (piece.seconds > 0) {
            endPause();
            const std::vector<float> voice = test::Voiced(f0, seconds, layout.speechRms);
            f0 += 37;
            for (std::size_t i = 0; i < part.size(); ++i) {
                part[i] += voice[i];
            }
            made.bursts.emplace_back(at, at + part.size());
            made.expectedSeconds += seconds;
        } else {
            pause += seconds;
        }
        test::Append(made.samples, part);
    }
    endPause();
    return made;
}

class PauseLayouts : public testing::TestWithParam<Layout> {};

TEST_P(PauseLayouts, ExpectedLengthAndEveryBurstWhole) {
    const Made made = Make(GetParam());
    const std::vector<PauseCut> cuts = FindPauseCuts(made.samples, kRate);
    const std::vector<float> out = RemoveCuts(made.samples, cuts, kRate);

    // A pause is found in whole 10 ms frames: its ends may keep up to a frame each. Each
    // piece was made a whole number of samples long.
    EXPECT_NEAR(static_cast<double>(out.size()) / kRate, made.expectedSeconds,
                0.02 * made.longPauses + static_cast<double>(GetParam().pieces.size()) / kRate);
    EXPECT_EQ(static_cast<int>(cuts.size()), made.longPauses);

    // Each burst, sample for sample, where the cuts before it put it.
    for (const auto& [first, last] : made.bursts) {
        std::size_t removed = 0;
        for (const PauseCut& cut : cuts) {
            ASSERT_TRUE(cut.end <= first || cut.begin >= last) << "a cut inside a burst";
            if (cut.end <= first) {
                removed += cut.end - cut.begin;
            }
        }
        ASSERT_LE(last - removed, out.size());
        EXPECT_TRUE(std::equal(made.samples.begin() + static_cast<std::ptrdiff_t>(first),
                               made.samples.begin() + static_cast<std::ptrdiff_t>(last),
                               out.begin() + static_cast<std::ptrdiff_t>(first - removed)))
            << "burst at " << static_cast<double>(first) / kRate << " s";
    }
    // The fades leave no click: no step in the output beyond the source's own.
    EXPECT_LE(test::LargestStep(out), test::LargestStep(made.samples));
}

const Layout kLayouts[] = {
    {"clean", 0.1, {{1.0, -200}, {-1.5, -200}, {0.8, -200}, {-0.5, -200}, {1.2, -200}}},
    {"hiss",
     0.1,
     {{0.6, -50}, {-2.0, -50}, {0.9, -50}, {-0.9, -50}, {0.5, -50}, {-0.6, -50}, {0.7, -50}}},
    {"quiet_speech_on_hiss", 0.01, {{1.0, -60}, {-1.2, -60}, {1.0, -60}, {-3.0, -60}, {1.0, -60}}},
    {"starts_and_ends_in_silence",
     0.1,
     {{-2.0, -70}, {1.0, -70}, {-0.3, -70}, {1.0, -70}, {-1.0, -70}}},
    {"background_gets_louder",
     0.2,
     {{1.0, -65},
      {-1.5, -65},
      {1.0, -65},
      {3.5, -38},
      {-2.0, -38},
      {1.0, -38},
      {-1.5, -38},
      {1.0, -38}}},
    {"long_burst", 0.1, {{-1.0, -55}, {8.0, -55}, {-1.0, -55}, {0.4, -55}}},
    {"no_long_pause", 0.1, {{1.0, -45}, {-0.6, -45}, {1.0, -45}, {-0.69, -45}, {1.0, -45}}},
    {"cut_1_0_keep_0_6", 0.1, {{1.0, -55}, {-1.0, -55}, {1.0, -55}, {-0.6, -55}, {1.0, -55}}},
    // A voice-operated recorder: hiss at -39 dB in its pauses, zeros in its gaps.
    {"hiss_beside_zeros", 0.1, {{1, -39}, {-1.5, -39}, {-2, -200}, {1, -39}, {-3, -39}, {1, -39}}},
};

INSTANTIATE_TEST_SUITE_P(Recordings, PauseLayouts, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// With nothing louder in it, noise is the recording, not a pause in it.
TEST(PauseShortener, NoiseOrSteadySoundAloneIsNotCut) {
    const std::vector<float> recordings[] = {test::Noise(5.0, 0.001, 7), test::Noise(5.0, 0.2, 8),
                                             test::Voiced(120, 5.0, 0.05)};
    for (const auto& samples : recordings) {
        EXPECT_TRUE(FindPauseCuts(samples, kRate).empty());
    }
}

} // namespace
} // namespace voice::review
