// Arbitrary recordings placed and mixed. The placement: every recording inside the file,
// in the order of its start, never further from another than in real time (and exactly as
// far with the gap off), and no silence left longer than the gap. The mix: as long as the
// file, never past the ceiling, a track silent wherever its lane has nothing sounding, and
// each recording reported whole unless its source ran short.
//
// Input: layout byte, gap byte, span bytes (a flag, then from and length), then six bytes
// per recording: lane, start (two bytes), length, level and whether its source runs short.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

#include "incident/mix.h"
#include "incident/placement.h"

namespace {

using namespace voice::incident;

void Require(bool rule) {
    if (!rule)
        std::abort();
}

constexpr int kRate = 8000;

// A loud, busy recording; one that runs short gives half what was placed.
class Source final : public SampleSource {
public:
    Source(float level, std::int64_t frames) : level_(level), left_(frames) {}
    std::size_t Read(std::span<float> into) override {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left_, into.size()));
        for (std::size_t i = 0; i < n; ++i, ++at_)
            into[i] = level_ * ((at_ * 2654435761u >> 13) % 2001 / 1000.0f - 1.0f);
        left_ -= static_cast<std::int64_t>(n);
        return n;
    }

private:
    float level_;
    std::int64_t left_;
    std::uint32_t at_ = 0;
};

struct Input {
    std::size_t lane;
    float level;
    bool runsShort;
};

class Client final : public MixClient {
public:
    Client(const std::vector<Recording>& recordings, const std::vector<Input>& inputs)
        : recordings_(recordings), inputs_(inputs) {}
    std::unique_ptr<SampleSource> Open(std::size_t item) override {
        const Recording& r = recordings_[item];
        return std::make_unique<Source>(inputs_[item].level,
                                        inputs_[item].runsShort ? r.frames / 2 : r.frames);
    }
    void Closed(std::size_t item, bool whole) override {
        Require(closed.emplace(item, whole).second);
    }
    // Both quantisers, which must agree: the file's bytes are the stream's samples.
    void Write(std::span<const float> samples) override {
        std::vector<std::int16_t> pcm;
        Quantise(samples, pcm);
        std::vector<std::uint8_t> bytes(samples.size() * 2);
        QuantiseLittleEndian(samples, bytes.data());
        for (std::size_t i = 0; i < pcm.size(); ++i)
            Require(static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8) == pcm[i]);
        out.insert(out.end(), pcm.begin(), pcm.end());
    }
    std::map<std::size_t, bool> closed;
    std::vector<std::int16_t> out;

private:
    const std::vector<Recording>& recordings_;
    const std::vector<Input>& inputs_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    const auto layout = static_cast<Layout>(data[0] % 3);
    const std::int64_t maxGap = data[1] * 40;
    std::optional<TimeSpan> span;
    if (data[2] & 1)
        span = TimeSpan{data[3] * 200, data[3] * 200 + data[4] * 400};
    std::vector<Recording> recordings;
    std::vector<Input> inputs;
    for (std::size_t at = 5; at + 6 <= size && recordings.size() < 24; at += 6) {
        recordings.push_back({(data[at + 1] | data[at + 2] << 8) / 2, data[at + 3] * 40});
        inputs.push_back({data[at] % 8u, data[at + 4] / 64.0f, (data[at + 5] & 1) != 0});
    }
    if (recordings.empty())
        return 0;

    const IncidentTimeline timeline = PlaceRecordings(recordings, maxGap, span);
    Require(timeline.placements.size() == recordings.size() && timeline.frames >= 0);
    std::vector<bool> covered(static_cast<std::size_t>(timeline.frames));
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        const Placement& p = timeline.placements[i];
        Require(p.frames >= 0 && p.skip >= 0 && p.skip + p.frames <= recordings[i].frames);
        if (p.frames == 0)
            continue;
        Require(p.at >= 0 && p.at + p.frames <= timeline.frames);
        std::fill(covered.begin() + p.at, covered.begin() + p.at + p.frames, true);
        for (std::size_t j = 0; j < recordings.size(); ++j) {
            const Placement& q = timeline.placements[j];
            const std::int64_t real =
                (recordings[j].start + q.skip) - (recordings[i].start + p.skip);
            if (q.frames == 0 || real < 0)
                continue;
            // Later stays later, never further than in real time, exactly as far without a gap.
            Require(q.at - p.at >= 0 && q.at - p.at <= real);
            Require(maxGap > 0 || q.at - p.at == real);
        }
    }
    if (maxGap > 0) { // no silence longer than the gap, at the ends either
        std::int64_t run = 0;
        for (const bool sounding : covered) {
            run = sounding ? 0 : run + 1;
            Require(run <= maxGap);
        }
    }

    std::size_t lanes = 0;
    for (const Input& input : inputs)
        lanes = std::max(lanes, input.lane + 1);
    const LaneGains gains = GainsFor(layout, lanes);
    std::vector<MixItem> items;
    for (std::size_t i = 0; i < recordings.size(); ++i)
        items.push_back({inputs[i].lane, timeline.placements[i]});
    Client client(recordings, inputs);
    Require(MixIncident(items, gains, timeline.frames, kRate, client));
    const auto outputs = static_cast<std::size_t>(gains.outputs);
    Require(client.out.size() == static_cast<std::size_t>(timeline.frames) * outputs);
    for (const std::int16_t v : client.out)
        Require(std::abs(v) <= 30933); // -0.5 dBFS
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        const bool placed = timeline.placements[i].frames > 0;
        Require(client.closed.count(i) == (placed ? 1u : 0u));
        if (placed)
            Require(client.closed[i] ==
                    (!inputs[i].runsShort ||
                     recordings[i].frames / 2 >=
                         timeline.placements[i].skip + timeline.placements[i].frames));
    }
    if (layout == Layout::Tracks) // a lane's track holds only its own recordings
        for (std::size_t lane = 0; lane < outputs; ++lane) {
            std::vector<bool> own(static_cast<std::size_t>(timeline.frames));
            for (std::size_t i = 0; i < recordings.size(); ++i)
                if (inputs[i].lane == lane && timeline.placements[i].frames > 0) {
                    const Placement& p = timeline.placements[i];
                    std::fill(own.begin() + p.at, own.begin() + p.at + p.frames, true);
                }
            for (std::size_t f = 0; f < own.size(); ++f)
                Require(own[f] || client.out[f * outputs + lane] == 0);
        }
    return 0;
}
