#include "export/incident_playback.h"

#include <map>

#include "export/background_sha256.h"
#include "export/incident_plan.h"
#include "export/incident_sources.h"
#include "export/recording_outcome.h"

namespace voice::exporting {
namespace {

// Opens each source as the mix reaches it and keeps the frames.
class MemoryClient final : public incident::MixClient {
public:
    MemoryClient(const std::vector<IncidentSource>& sources, int rate,
                 std::vector<std::int16_t>& frames, ExportProgress& progress)
        : sources_(sources), rate_(rate), frames_(frames), progress_(progress) {}

    std::unique_ptr<incident::SampleSource> Open(std::size_t item) override {
        auto& open = open_[item] = std::make_unique<MixedSource>(
            sources_[item], rate_, std::make_unique<BackgroundSha256>());
        if (!open->Samples())
            return nullptr;
        return std::make_unique<Forward>(*open->Samples());
    }
    void Closed(std::size_t item, bool) override { open_.erase(item); }
    void Write(std::span<const std::int16_t> frames) override {
        frames_.insert(frames_.end(), frames.begin(), frames.end());
    }
    bool Continue() override { return !progress_.CancelRequested(); }

private:
    class Forward final : public incident::SampleSource {
    public:
        explicit Forward(incident::SampleSource& to) noexcept : to_(to) {}
        std::size_t Read(std::span<float> into) override { return to_.Read(into); }

    private:
        incident::SampleSource& to_;
    };

    const std::vector<IncidentSource>& sources_;
    int rate_;
    std::vector<std::int16_t>& frames_;
    ExportProgress& progress_;
    std::map<std::size_t, std::unique_ptr<MixedSource>> open_;
};

} // namespace

IncidentMix MixIncidentForPlayback(const std::vector<std::wstring>& lines,
                                   const IncidentOptions& options, ExportProgress& progress) {
    IncidentMix mix;
    RecordingOutcome failures; // a recording that cannot be read is left out of the play
    const IncidentSources read = ReadIncidentSources(lines, progress, failures);
    mix.cancelled = read.cancelled;
    if (read.cancelled || read.sources.empty())
        return mix;
    const IncidentPlan plan = PlanIncident(read.sources, options);
    if (plan.placed.empty())
        return mix;
    mix.rate = plan.rate;
    mix.outputs = plan.gains.outputs;
    mix.frames.reserve(static_cast<std::size_t>(plan.timeline.frames) *
                       static_cast<std::size_t>(mix.outputs));
    MemoryClient client(read.sources, plan.rate, mix.frames, progress);
    if (!incident::MixIncident(plan.items, plan.gains, plan.timeline.frames, plan.rate, client)) {
        mix.cancelled = true;
        mix.frames.clear();
        return mix;
    }
    for (const std::size_t i : plan.placed) {
        const incident::Placement& p = plan.timeline.placements[i];
        const IncidentSource& s = read.sources[i];
        mix.pieces.push_back({s.index, static_cast<double>(p.at) / plan.rate,
                              static_cast<double>(p.frames) / plan.rate,
                              static_cast<double>(p.skip) / plan.rate,
                              static_cast<double>(s.frames) / s.rate});
    }
    return mix;
}

std::optional<std::size_t> SoundingAt(const std::vector<IncidentPiece>& pieces, double at) {
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < pieces.size() && pieces[i].at <= at; ++i)
        if (at < pieces[i].at + pieces[i].seconds)
            last = i;
    return last;
}

} // namespace voice::exporting
