// Rate conversion: a tone of the speech band keeps its frequency and its level, the length
// follows the ratio, the images of the input's spectrum lie at least 60 dB under the tone,
// and what the lower rate cannot hold is gone rather than folded back into the band.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "incident/resampler.h"

namespace voice::incident {
namespace {

class Tone final : public SampleSource {
public:
    Tone(double hz, int rate, std::size_t frames)
        : step_(2 * std::numbers::pi * hz / rate), left_(frames) {}
    std::size_t Read(std::span<float> into) override {
        const std::size_t n = std::min(into.size(), left_);
        for (std::size_t i = 0; i < n; ++i)
            into[i] = static_cast<float>(0.5 * std::sin(step_ * static_cast<double>(n_++)));
        left_ -= n;
        return n;
    }

private:
    double step_;
    std::size_t left_, n_ = 0;
};

std::vector<float> Converted(double hz, int in, int out) {
    Resampler resampler(std::make_unique<Tone>(hz, in, static_cast<std::size_t>(in)), in, out);
    std::vector<float> converted;
    std::vector<float> block(1000);
    for (std::size_t n; (n = resampler.Read(block)) > 0;)
        converted.insert(converted.end(), block.begin(),
                         block.begin() + static_cast<std::ptrdiff_t>(n));
    return converted;
}

// The middle half, away from the edges where the tone starts and stops.
std::vector<float> Middle(const std::vector<float>& x) {
    return {x.begin() + static_cast<std::ptrdiff_t>(x.size() / 4),
            x.begin() + static_cast<std::ptrdiff_t>(x.size() * 3 / 4)};
}

// Against the tone put in (a sine of amplitude 0.5).
double LevelDb(const std::vector<float>& x) {
    double sum = 0;
    for (const float v : x)
        sum += double{v} * v;
    return 10 * std::log10(sum / static_cast<double>(x.size()) / 0.125);
}

// Power at hz over the Hann-windowed samples.
double PowerAt(const std::vector<float>& x, double hz, int rate) {
    double re = 0, im = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (x.size() - 1));
        const double a = 2 * std::numbers::pi * hz * static_cast<double>(i) / rate;
        re += w * x[i] * std::cos(a);
        im += w * x[i] * std::sin(a);
    }
    return re * re + im * im;
}

struct RateCase {
    int in, out;
    double hz;
};

class Rates : public testing::TestWithParam<RateCase> {};

TEST_P(Rates, ToneKeptImagesSixtyDecibelsDown) {
    const RateCase c = GetParam();
    const auto inFrames = static_cast<std::size_t>(c.in); // one second
    const std::vector<float> out = Converted(c.hz, c.in, c.out);
    EXPECT_EQ(out.size(), (inFrames * static_cast<std::size_t>(c.out) + c.in - 1) / c.in);

    const std::vector<float> mid = Middle(out);
    EXPECT_NEAR(LevelDb(mid), 0.0, 1.0) << c.in << " -> " << c.out << ", " << c.hz << " Hz";
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < mid.size(); ++i)
        crossings += (mid[i - 1] < 0) != (mid[i] < 0);
    const double measured = crossings / 2.0 / (static_cast<double>(mid.size()) / c.out);
    EXPECT_NEAR(measured, c.hz, c.hz * 0.01);

    const double tone = PowerAt(mid, c.hz, c.out);
    // Every image below the output's half rate: k * in +- hz.
    for (int k = 1; k * c.in - c.hz < c.out / 2.0; ++k)
        for (const double image : {k * c.in - c.hz, k * c.in + c.hz})
            if (image < c.out / 2.0)
                EXPECT_LT(10 * std::log10(PowerAt(mid, image, c.out) / tone), -60.0)
                    << c.in << " -> " << c.out << ", image at " << image << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Cases, Rates,
                         testing::Values(RateCase{7860, 8000, 1000}, RateCase{7860, 16000, 3000},
                                         RateCase{8000, 44100, 1234}, RateCase{11025, 48000, 440},
                                         RateCase{16000, 7860, 1000},
                                         RateCase{7860, 22051, 2000}, // no phase table
                                         // 0.85 of the half rate: image 1.15 of it
                                         RateCase{7860, 16000, 3340}, RateCase{16000, 7860, 3340},
                                         RateCase{8000, 11025, 3400}));

// Brought down to a lower rate, a tone above its half rate would come back as a false one
// below it: at least 60 dB down, just above that half rate and far above it.
TEST(RatesDown, ATonePastTheLowerHalfRateIsGone) {
    const RateCase cases[] = {{16000, 7860, 4300}, {11025, 7860, 4200}, {22050, 7860, 6000},
                              {48000, 16000, 8800}};
    for (const RateCase& c : cases)
        EXPECT_LT(LevelDb(Middle(Converted(c.hz, c.in, c.out))), -60.0)
            << c.in << " -> " << c.out << ", " << c.hz << " Hz";
}

} // namespace
} // namespace voice::incident
