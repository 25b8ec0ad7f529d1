#include "export/incident_playback.h"

#include <algorithm>
#include <cmath>
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
        return std::make_unique<incident::BorrowedSource>(*open->Samples());
    }
    void Closed(std::size_t item, bool) override { open_.erase(item); }
    void Write(std::span<const std::int16_t> frames) override {
        frames_.insert(frames_.end(), frames.begin(), frames.end());
    }
    bool Continue() override { return !progress_.CancelRequested(); }

private:
    const std::vector<IncidentSource>& sources_;
    int rate_;
    std::vector<std::int16_t>& frames_;
    ExportProgress& progress_;
    std::map<std::size_t, std::unique_ptr<MixedSource>> open_;
};

class NoCancel final : public ExportProgress {
public:
    void OnItem(std::size_t, std::size_t, const std::wstring&) override {}
    bool CancelRequested() const override { return false; }
};

} // namespace

IncidentPlayback::IncidentPlayback(const std::vector<std::wstring>& lines,
                                   const IncidentOptions& options, ExportProgress& progress) {
    RecordingOutcome failures; // a recording that cannot be read is left out of the play
    IncidentSources read = ReadIncidentSources(lines, progress, failures);
    if (read.cancelled || read.sources.empty())
        return;
    sources_ = std::move(read.sources);
    plan_ = std::make_unique<IncidentPlan>(PlanIncident(sources_, options));
    const int rate = plan_->rate;
    for (const std::size_t i : plan_->placed) {
        const incident::Placement& p = plan_->timeline.placements[i];
        const IncidentSource& s = sources_[i];
        pieces_.push_back({s.index, static_cast<double>(p.at) / rate,
                           static_cast<double>(p.frames) / rate, static_cast<double>(p.skip) / rate,
                           static_cast<double>(s.frames) / s.rate});
    }
}

IncidentPlayback::~IncidentPlayback() = default;

bool IncidentPlayback::Empty() const noexcept {
    return pieces_.empty();
}

int IncidentPlayback::Rate() const noexcept {
    return plan_ ? plan_->rate : 0;
}

int IncidentPlayback::Outputs() const noexcept {
    return plan_ ? plan_->gains.outputs : 0;
}

double IncidentPlayback::Seconds() const noexcept {
    return plan_ ? static_cast<double>(plan_->timeline.frames) / plan_->rate : 0.0;
}

std::vector<std::int16_t> IncidentPlayback::Mix(double from, double seconds) const {
    std::vector<std::int16_t> frames;
    if (Empty())
        return frames;
    const int rate = plan_->rate;
    const std::int64_t total = plan_->timeline.frames;
    const std::int64_t begin = std::clamp<std::int64_t>(std::llround(from * rate), 0, total);
    const std::int64_t end =
        std::min<std::int64_t>(total, begin + std::llround(std::max(0.0, seconds) * rate));
    // Each item as it sounds inside [begin, end), counted from begin.
    std::vector<incident::MixItem> items = plan_->items;
    for (incident::MixItem& item : items) {
        incident::Placement& p = item.place;
        const std::int64_t first = std::max(p.at, begin);
        const std::int64_t last = std::min(p.at + p.frames, end);
        p.skip += first - p.at;
        p.frames = std::max<std::int64_t>(0, last - first);
        p.at = first - begin;
    }
    frames.reserve(static_cast<std::size_t>(end - begin) *
                   static_cast<std::size_t>(plan_->gains.outputs));
    NoCancel progress;
    MemoryClient client(sources_, rate, frames, progress);
    incident::MixIncident(items, plan_->gains, end - begin, rate, client);
    return frames;
}

std::optional<std::size_t> SoundingAt(const std::vector<IncidentPiece>& pieces, double at) {
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < pieces.size() && pieces[i].at <= at; ++i)
        if (at < pieces[i].at + pieces[i].seconds)
            last = i;
    return last;
}

} // namespace voice::exporting
