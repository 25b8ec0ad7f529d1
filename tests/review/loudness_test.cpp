// Even loudness: speech recorded at any level comes out at the target, nothing clips, and
// noise alone is never raised.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "review/loudness.h"
#include "review_signals.h"

namespace voice::review {
namespace {

using test::kRate;

constexpr double kHeardSpeechDb = -20.0; // as the guide promises, whatever the code says

std::vector<float> Levelled(std::span<const float> samples) {
    std::vector<float> out(samples.size());
    ApplyLevel(PlanLevel(samples, kRate), samples, 0, out);
    return out;
}

struct SpeechCase {
    double speechDb;
    double noiseBelowDb; // the background under the speech; 0 for digital silence
};

class SpeechLevels : public testing::TestWithParam<SpeechCase> {};

// Words of voice with pauses between them; the test knows which samples are speech.
TEST_P(SpeechLevels, ActiveSpeechComesOutAtTheTargetUnclipped) {
    const SpeechCase c = GetParam();
    const double rms = std::pow(10.0, c.speechDb / 20);
    const double noise = c.noiseBelowDb > 0 ? rms * std::pow(10.0, -c.noiseBelowDb / 20) : 0.0;
    std::vector<float> samples;
    std::vector<std::pair<std::size_t, std::size_t>> words;
    unsigned seed = 11;
    for (const double f0 : {95.0, 180.0, 130.0, 240.0, 110.0}) {
        test::Append(samples, test::Noise(0.6, noise, ++seed));
        std::vector<float> word = test::Voiced(f0, 0.7, rms);
        const std::vector<float> hiss = test::Noise(0.7, noise, ++seed);
        for (std::size_t i = 0; i < word.size(); ++i) {
            word[i] += hiss[i];
        }
        words.emplace_back(samples.size(), samples.size() + word.size());
        test::Append(samples, word);
    }
    test::Append(samples, test::Noise(0.6, noise, ++seed));

    const std::vector<float> out = Levelled(samples);
    std::vector<float> speech;
    for (const auto& [first, last] : words) {
        test::Append(speech, std::span(out).subspan(first, last - first));
    }
    EXPECT_NEAR(test::RmsDb(speech), kHeardSpeechDb, 1.0);
    EXPECT_LE(test::Peak(out), 1.0f);
}

INSTANTIATE_TEST_SUITE_P(FromMinus40ToMinus6, SpeechLevels,
                         testing::Values(SpeechCase{-40, 0}, SpeechCase{-40, 25},
                                         SpeechCase{-30, 35}, SpeechCase{-20, 30},
                                         SpeechCase{-12, 0}, SpeechCase{-12, 40}, SpeechCase{-6, 0},
                                         SpeechCase{-6, 30}),
                         [](const auto& info) {
                             return "speech" +
                                    std::to_string(-static_cast<int>(info.param.speechDb)) +
                                    "_noise" +
                                    std::to_string(static_cast<int>(info.param.noiseBelowDb));
                         });

// Quiet words with a loud knock between them: raised to the target, the knock would clip;
// the limiter holds it under full scale, and the words keep the level they are raised to.
TEST(Loudness, TheLimiterKeepsEveryPeakUnderFullScale) {
    std::vector<float> samples;
    for (const double f0 : {120.0, 200.0, 150.0}) {
        test::Append(samples, test::Voiced(f0, 0.8, 0.01));
        test::Append(samples, std::vector<float>(kRate / 2, 0.0f));
    }
    const std::size_t knock = static_cast<std::size_t>(0.9 * kRate);
    for (std::size_t i = 0; i < 40; ++i) {
        samples[knock + i] = (i % 2 ? 0.9f : -0.9f);
    }
    const std::vector<float> out = Levelled(samples);
    EXPECT_LE(test::Peak(out), kPeakCeiling * 1.0001f);
    const std::size_t word = static_cast<std::size_t>(2.6 * kRate);
    EXPECT_NEAR(test::RmsDb(std::span(out).subspan(word, kRate / 2)), kHeardSpeechDb, 1.0);
}

TEST(Loudness, NoiseIsNeverRaisedAndNothingIsMadeQuieterForWantOfSpeech) {
    for (const double noiseDb : {-90.0, -70.0, -55.0, -45.0, -30.0, -10.0}) {
        const std::vector<float> noise = test::Noise(4.0, std::pow(10.0, noiseDb / 20), 5);
        const double outDb = test::RmsDb(Levelled(noise));
        EXPECT_NEAR(outDb, test::RmsDb(noise), 0.1) << noiseDb; // neither raised nor lowered
        EXPECT_FALSE(ActiveSpeechLevelDb(noise, kRate).has_value()) << noiseDb;
    }
    // Faint speech in 8-bit steps under a hiss of a step either way (about -43 dB), too
    // faint to be told from the hiss: it must not come out quieter.
    std::vector<float> faint;
    for (const double f0 : {110.0, 190.0, 140.0}) {
        test::Append(faint, test::Voiced(f0, 0.8, 0.006));
        test::Append(faint, std::vector<float>(kRate / 2, 0.0f));
    }
    const std::vector<float> hiss = test::Noise(faint.size() / double{kRate}, 0.6, 22);
    for (std::size_t i = 0; i < faint.size(); ++i)
        faint[i] = std::round(faint[i] * 128 + std::clamp(hiss[i], -1.0f, 1.0f)) / 128;
    EXPECT_GE(test::RmsDb(Levelled(faint)), test::RmsDb(faint) - 0.1);
    const std::vector<float> silence(kRate, 0.0f);
    EXPECT_EQ(test::Peak(Levelled(silence)), 0.0f);
    // A knock on a quiet line is no speech to bring up to the target.
    std::vector<float> knocked = test::Noise(4.0, 0.0005, 6);
    std::fill_n(knocked.begin() + kRate, 30, 0.7f);
    EXPECT_FALSE(ActiveSpeechLevelDb(knocked, kRate).has_value());
    EXPECT_LE(test::Peak(Levelled(knocked)), 0.7f);
}

// A restart mid-way levels the rest exactly as the whole pass did.
TEST(Loudness, LevellingFromAnyPointMatchesTheWholePass) {
    std::vector<float> samples = test::Voiced(200, 2.0, 0.002);
    samples[kRate / 2] = 0.8f;
    const LevelPlan plan = PlanLevel(samples, kRate);
    std::vector<float> whole(samples.size());
    ApplyLevel(plan, samples, 0, whole);
    for (const std::size_t from : {std::size_t{1}, std::size_t{3923}, samples.size() - 5}) {
        std::vector<float> part(samples.size() - from);
        ApplyLevel(plan, std::span(samples).subspan(from), from, part);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + static_cast<long>(from)))
            << from;
    }
}

} // namespace
} // namespace voice::review
