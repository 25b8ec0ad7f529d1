// The incident played in parts: joined, the parts are the mix made at once, each ends in
// a quiet moment, a muted lane is left out, and the listening aids level each recording,
// cut the pauses every recording shares and change the speed with the places kept.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "incident/incident_stream.h"

namespace voice::incident {
namespace {

constexpr int kRate = 7860;

// Bursts of a 200 Hz tone at level, every `period` seconds `on` of them, over hiss;
// silent (hiss alone) in [quietFrom, quietTo) seconds.
std::vector<float> Bursts(double seconds, float level, double quietFrom = 0, double quietTo = 0,
                          double on = 0.3, double period = 0.5) {
    std::mt19937 rng(static_cast<unsigned>(level * 1000));
    std::uniform_real_distribution<float> hiss(-0.001f, 0.001f);
    std::vector<float> v(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const bool sounding = std::fmod(t, period) < on && !(quietFrom <= t && t < quietTo);
        v[i] = hiss(rng) + (sounding ? level * static_cast<float>(std::sin(t * 2 * 3.14159 * 200)) : 0);
    }
    return v;
}

struct Track {
    std::size_t lane;
    double at; // seconds
    std::vector<float> samples;
};

class Feed final : public ItemFeed, public MixClient {
public:
    explicit Feed(std::vector<Track> tracks) : tracks_(std::move(tracks)) {}
    std::optional<PlacedItem> Placed(std::size_t k) override {
        if (k >= tracks_.size())
            return std::nullopt;
        return PlacedItem{k, Item(k)};
    }
    MixItem Item(std::size_t k) const {
        const Track& t = tracks_[k];
        return {t.lane, {std::llround(t.at * kRate), 0, static_cast<std::int64_t>(t.samples.size())}};
    }
    std::int64_t Frames() override {
        std::int64_t end = 0;
        for (std::size_t k = 0; k < tracks_.size(); ++k)
            end = std::max(end, Item(k).place.at + Item(k).place.frames);
        return end;
    }
    std::unique_ptr<SampleSource> Open(std::size_t item) override {
        return std::make_unique<HeldSource>(tracks_[item].samples);
    }
    void Closed(std::size_t, bool) override {}
    void Write(std::span<const float> samples) override {
        std::vector<std::int16_t> pcm;
        Quantise(samples, pcm);
        whole.insert(whole.end(), pcm.begin(), pcm.end());
    }
    std::vector<std::int16_t> whole;

private:
    std::vector<Track> tracks_;
};

// The whole stream in parts of `part` seconds (slack a fifth of it); where each ended.
std::vector<std::int16_t> Play(Feed& feed, const LaneGains& gains, const StreamChoices& choices,
                               double part, std::vector<std::int64_t>* ends = nullptr) {
    IncidentStream stream(feed, gains, kRate, 0, choices);
    std::vector<std::int16_t> out;
    for (StreamPart p; !p.last;) {
        p = stream.Next(std::llround(part * kRate), std::llround(part * kRate / 5));
        out.insert(out.end(), p.pcm.begin(), p.pcm.end());
        if (ends && !p.last)
            ends->push_back(static_cast<std::int64_t>(out.size()) / gains.outputs);
    }
    return out;
}

double Rms(std::span<const std::int16_t> v) {
    double sum = 0;
    for (const std::int16_t s : v)
        sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(v.size(), 1)));
}

TEST(IncidentStream, PartsJoinIntoTheWholeMixAtQuietMomentsAndMutedLanesAreLeftOut) {
    // Two full-scale lanes together, so the limiter works across the boundaries; both
    // quiet only around 1.2 s and 2.6 s.
    const auto loud = [](float level) {
        std::vector<float> v = Bursts(4, level, 1.18, 1.24, 0.5, 0.5);
        for (std::size_t i = static_cast<std::size_t>(2.58 * kRate); i < 2.64 * kRate; ++i)
            v[i] = 0;
        return v;
    };
    const std::vector<Track> tracks{{0, 0, loud(1.0f)}, {1, 0, loud(0.9f)}, {0, 4.5, loud(0.5f)}};
    const LaneGains gains = GainsFor(Layout::Mono, 2);
    for (const std::vector<bool>& heard : {std::vector<bool>{}, {true, false}}) {
        std::vector<Track> kept;
        for (const Track& t : tracks)
            if (heard.empty() || heard[t.lane])
                kept.push_back(t);
        Feed reference(kept);
        std::vector<MixItem> items;
        for (std::size_t k = 0; k < kept.size(); ++k)
            items.push_back(reference.Item(k));
        MixIncident(items, gains, reference.Frames(), kRate, reference);
        for (const double part : {1.3, 0.7, 20.0}) {
            Feed feed(tracks);
            std::vector<std::int64_t> ends;
            const std::vector<std::int16_t> joined = Play(feed, gains, {heard, {}}, part, &ends);
            ASSERT_EQ(joined.size(), reference.whole.size()) << part;
            for (std::size_t i = 0; i < joined.size(); ++i)
                ASSERT_LE(std::abs(joined[i] - reference.whole[i]), 1) << part << " at " << i;
            if (part == 1.3) { // each part ends inside the quiet moment near its length
                for (const double quiet : {1.21, 2.61})
                    EXPECT_NEAR(static_cast<double>(ends.at(quiet < 2 ? 0 : 1)) / kRate, quiet, 0.03);
            }
        }
    }
}

TEST(IncidentStream, ListeningAidsLevelCutSharedPausesAndKeepThePlacesAtAnySpeed) {
    const LaneGains gains = GainsFor(Layout::Mono, 2);
    struct Case {
        const char* name;
        review::ReviewOptions aids;
        std::vector<Track> tracks;
        double seconds;      // the output's length
        double secondOnset;  // where the second track starts to sound; 0: not checked
        double quietOverLoud; // dB: the first lane's level against the second's; 99: not checked
    };
    const Case cases[] = {
        {"as it was", {}, {{0, 0, Bursts(4, 0.02f)}, {1, 0, Bursts(4, 0.5f)}}, 4, 0, -28},
        {"levelled", {1, false, true}, {{0, 0, Bursts(4, 0.02f)}, {1, 0, Bursts(4, 0.5f)}}, 4, 0, 0},
        // The pause from 1.8 s to 5 s down to 0.25 s...
        {"a pause cut", {1, true, false}, {{0, 0, Bursts(6, 0.3f, 2, 5)}}, 3.05, 0, 99},
        // ...but not while another lane speaks in it, from 2.5 s to 3.3 s.
        {"a pause cut around another's speech", {1, true, false},
         {{0, 0, Bursts(6, 0.3f, 2, 5)}, {1, 2.5, Bursts(1, 0.3f)}}, 4.05, 1.925, 99},
        {"faster", {1.5, false, false}, {{0, 0, Bursts(3, 0.3f)}, {1, 4.5, Bursts(1.5, 0.3f)}}, 4, 3, 99},
    };
    for (const Case& c : cases) {
        Feed feed(c.tracks);
        const std::vector<std::int16_t> out = Play(feed, gains, {{}, c.aids}, 1.0);
        EXPECT_NEAR(static_cast<double>(out.size()) / kRate, c.seconds, 0.05) << c.name;
        if (c.secondOnset > 0) { // the first lane is silent just before
            const auto from = out.begin() + std::llround((c.secondOnset - 0.07) * kRate);
            const auto onset =
                std::find_if(from, out.end(), [](std::int16_t v) { return std::abs(v) > 1000; });
            EXPECT_NEAR(static_cast<double>(onset - out.begin()) / kRate, c.secondOnset, 0.02)
                << c.name;
        }
        if (c.quietOverLoud != 99) {
            Feed quiet(c.tracks), loud(c.tracks);
            const double db = 20 * std::log10(Rms(Play(quiet, gains, {{true, false}, c.aids}, 1.0)) /
                                              Rms(Play(loud, gains, {{false, true}, c.aids}, 1.0)));
            EXPECT_NEAR(db, c.quietOverLoud, 1.5) << c.name;
        }
    }
}

} // namespace
} // namespace voice::incident
