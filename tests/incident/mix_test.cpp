// The mix: every recording from its placed frame, loud overlaps never clipped, stereo
// lanes at constant power, tracks holding only their own channel, the header's fields.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>

#include "incident/limiter.h"
#include "incident/mix.h"

namespace voice::incident {
namespace {

constexpr int kRate = 7860;

// A square wave at the given amplitude: the loudest thing a recording can hold.
class Square final : public SampleSource {
public:
    explicit Square(float level) : level_(level) {}
    std::size_t Read(std::span<float> into) override {
        for (float& v : into)
            v = (n_++ / 9) % 2 ? level_ : -level_;
        return into.size();
    }

private:
    float level_;
    std::size_t n_ = 0;
};

class Collect final : public MixClient {
public:
    explicit Collect(float level) : level_(level) {}
    std::unique_ptr<SampleSource> Open(std::size_t) override {
        return std::make_unique<Square>(level_);
    }
    void Closed(std::size_t item, bool whole) override { closed[item] = whole; }
    // As the file takes them: little-endian bytes.
    void Write(std::span<const float> samples) override {
        std::vector<std::uint8_t> bytes(samples.size() * 2);
        QuantiseLittleEndian(samples, bytes.data());
        for (std::size_t i = 0; i < bytes.size(); i += 2)
            out.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    std::vector<std::int16_t> out;
    std::map<std::size_t, bool> closed;

private:
    float level_;
};

struct MixCase {
    const char* name;
    Layout layout;
    std::size_t lanes;
    std::vector<MixItem> items;
    float level;
    std::vector<int> silentOutputs; // outputs that must stay silent
};

class Mixes : public testing::TestWithParam<MixCase> {};

TEST_P(Mixes, StartsOnItsFrameNeverClipsAndKeepsTracksApart) {
    const MixCase& c = GetParam();
    const LaneGains gains = GainsFor(c.layout, c.lanes);
    std::int64_t frames = 0;
    for (const MixItem& item : c.items)
        frames = std::max(frames, item.place.at + item.place.frames);
    Collect client(c.level);
    ASSERT_TRUE(MixIncident(c.items, gains, frames, kRate, client));
    const auto outputs = static_cast<std::size_t>(gains.outputs);
    ASSERT_EQ(client.out.size(), static_cast<std::size_t>(frames) * outputs) << c.name;
    int peak = 0;
    std::size_t first = client.out.size();
    for (std::size_t i = 0; i < client.out.size(); ++i) {
        peak = std::max(peak, std::abs(int{client.out[i]}));
        if (client.out[i] != 0)
            first = std::min(first, i / outputs);
        for (const int silent : c.silentOutputs) {
            if (i % outputs == static_cast<std::size_t>(silent)) {
                ASSERT_EQ(client.out[i], 0) << c.name << " output " << silent;
            }
        }
    }
    EXPECT_LT(peak, 32767) << c.name; // never full scale
    EXPECT_GT(peak, 16000) << c.name; // the limiter does not smother it
    std::int64_t earliest = frames;
    for (const MixItem& item : c.items)
        earliest = std::min(earliest, item.place.at);
    EXPECT_EQ(static_cast<std::int64_t>(first), earliest) << c.name;
    EXPECT_EQ(client.closed.size(), c.items.size()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Mixes,
    testing::Values(
        MixCase{
            "mono_four_full_scale",
            Layout::Mono,
            4,
            {{0, {100, 0, 20000}}, {1, {150, 0, 20000}}, {2, {150, 0, 9000}}, {3, {3000, 0, 9000}}},
            1.0f,
            {}},
        MixCase{"stereo_overlap",
                Layout::Stereo,
                3,
                {{0, {7, 0, 30000}}, {1, {7, 5, 30000}}, {2, {9000, 0, 12000}}},
                1.0f,
                {}},
        // Lane 2 of three is silent: only its own recordings go into its track.
        MixCase{"tracks",
                Layout::Tracks,
                3,
                {{0, {3, 0, 20000}}, {0, {5000, 0, 20000}}, {1, {10, 0, 100}}},
                1.0f,
                {2}}),
    [](const auto& info) { return std::string(info.param.name); });

// What the user hears of full-scale recordings: a lone one 6 dB down and untouched by the
// limiter; any overlap, however many channels add up in phase, no louder than -0.5 dBFS
// and not squashed far below it. Bounds in dBFS of the loudest sample in the file.
struct LevelCase {
    const char* name;
    Layout layout;
    std::size_t lanes;
    std::vector<MixItem> items;
    double lowest, highest;
};

double PeakDbfs(const std::vector<std::int16_t>& pcm) {
    int peak = 0;
    for (const std::int16_t v : pcm)
        peak = std::max(peak, std::abs(int{v}));
    return 20 * std::log10(peak / 32767.0);
}

TEST(MixLevels, HeadroomForOneAndTheCeilingForOverlaps) {
    const double kSixDown = 20 * std::log10(0.5), kCeiling = -0.5;
    auto together = [](std::size_t lanes) {
        std::vector<MixItem> items;
        for (std::size_t lane = 0; lane < lanes; ++lane)
            items.push_back({lane, {0, 0, 3 * kRate}});
        return items;
    };
    const LevelCase cases[] = {
        {"mono, one alone", Layout::Mono, 1, together(1), kSixDown - 0.05, kSixDown + 0.05},
        {"stereo, hard left alone", Layout::Stereo, 8, {{0, {0, 0, 3 * kRate}}},
         kSixDown - 0.05, kSixDown + 0.05},
        {"mono, two at once", Layout::Mono, 2, together(2), kCeiling - 0.5, kCeiling},
        {"mono, eight at once", Layout::Mono, 8, together(8), kCeiling - 0.5, kCeiling},
        {"stereo, eight at once", Layout::Stereo, 8, together(8), kCeiling - 0.5, kCeiling},
        {"tracks, one at full level", Layout::Tracks, 2, {{1, {0, 0, 3 * kRate}}},
         kCeiling - 0.5, kCeiling},
    };
    for (const LevelCase& c : cases) {
        Collect client(1.0f);
        ASSERT_TRUE(MixIncident(c.items, GainsFor(c.layout, c.lanes), 3 * kRate, kRate, client));
        const double peak = PeakDbfs(client.out);
        EXPECT_GE(peak, c.lowest) << c.name;
        EXPECT_LE(peak, c.highest + 0.0003) << c.name; // a 16-bit step
    }
}

// Constant power across the field: every lane as loud, from hard left to hard right.
// The limiter streams: however the frames arrive, the same frames come out, under the
// ceiling, and a quiet stretch passes untouched (only delayed).
TEST(Limiter, AnySplitGivesTheSameFramesUnderTheCeiling) {
    std::mt19937 random(5);
    std::vector<float> in;
    for (int i = 0; i < 3 * kRate; ++i) { // stereo: quiet, then bursts past full scale
        const float level = i < kRate ? 0.3f : (i / 700 % 2 ? 1.9f : 0.2f);
        for (int c = 0; c < 2; ++c)
            in.push_back(level * std::sin(static_cast<float>(i) * (0.05f + 0.02f * c)));
    }
    const auto run = [&](bool pieces) {
        Limiter limiter(2, 40, 0.944f, 1.0f / 2000);
        std::vector<float> out;
        for (std::size_t at = 0; at < in.size();) {
            const std::size_t n =
                pieces ? std::min<std::size_t>(2 * (1 + random() % 900), in.size() - at)
                       : in.size();
            limiter.Process(std::span(in).subspan(at, n), out);
            at += n;
        }
        limiter.Finish(out);
        return out;
    };
    const std::vector<float> whole = run(false);
    for (int attempt = 0; attempt < 4; ++attempt)
        ASSERT_EQ(run(true), whole) << attempt;
    ASSERT_GE(whole.size(), in.size());
    for (float v : whole)
        ASSERT_LE(std::fabs(v), 0.944f);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kRate); ++i) // quiet: as it came
        ASSERT_EQ(whole[i], in[i]) << i;
}

TEST(StereoGains, ConstantPowerFromLeftToRight) {
    for (const std::size_t lanes : {1u, 2u, 3u, 8u}) {
        const LaneGains g = GainsFor(Layout::Stereo, lanes);
        const double power0 = g.gains[0][0] * g.gains[0][0] + g.gains[0][1] * g.gains[0][1];
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            const double l = g.gains[lane][0], r = g.gains[lane][1];
            EXPECT_NEAR(l * l + r * r, power0, 1e-6) << lanes << " lanes, lane " << lane;
            if (lane > 0) {
                EXPECT_GT(r / (l + 1e-9), g.gains[lane - 1][1] / (g.gains[lane - 1][0] + 1e-9));
            }
        }
        if (lanes > 1) {
            EXPECT_NEAR(g.gains[0][1], 0.0, 1e-6);
            EXPECT_NEAR(g.gains[lanes - 1][0], 0.0, 1e-6);
        }
    }
}

} // namespace
} // namespace voice::incident
