#include "export/incident_plan.h"

#include <algorithm>
#include <set>

#include "export/local_time.h"

namespace voice::exporting {
namespace {

// The recorder's rate when every source has it; else the highest, the others resampled.
int OutputRate(const std::vector<IncidentSource>& sources) {
    int highest = 0;
    for (const IncidentSource& s : sources)
        highest = std::max(highest, s.rate);
    return highest;
}

} // namespace

IncidentPlan PlanIncident(const std::vector<IncidentSource>& sources,
                          const IncidentOptions& options) {
    IncidentPlan plan;
    const int rate = plan.rate = OutputRate(sources);
    std::int64_t origin = SecondsOf(sources.front().columns.start);
    for (const IncidentSource& s : sources)
        origin = std::min(origin, SecondsOf(s.columns.start));
    plan.origin = origin;
    std::vector<incident::Recording> recordings;
    std::set<int> channels;
    for (const IncidentSource& s : sources) {
        // As many output frames as the resampler gives: every input frame's instant.
        const auto frames = static_cast<std::int64_t>(
            (s.frames * static_cast<std::uint64_t>(rate) + static_cast<std::uint64_t>(s.rate) - 1) /
            static_cast<std::uint64_t>(s.rate));
        recordings.push_back({(SecondsOf(s.columns.start) - origin) * rate, frames});
        channels.insert(s.columns.channel);
    }
    std::optional<incident::TimeSpan> span;
    if (options.from && options.to)
        span = incident::TimeSpan{(SecondsOf(*options.from) - origin) * rate,
                                  (SecondsOf(*options.to) - origin) * rate};
    const auto maxGap = static_cast<std::int64_t>(options.gapSeconds * rate + 0.5);
    plan.timeline = incident::PlaceRecordings(recordings, maxGap, span);

    const std::vector<int> lanes(channels.begin(), channels.end());
    plan.gains = incident::GainsFor(options.layout, lanes.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const auto lane = static_cast<std::size_t>(
            std::lower_bound(lanes.begin(), lanes.end(), sources[i].columns.channel) -
            lanes.begin());
        plan.items.push_back({lane, plan.timeline.placements[i]});
        if (plan.timeline.placements[i].frames > 0)
            plan.placed.push_back(i);
    }
    std::stable_sort(plan.placed.begin(), plan.placed.end(), [&](std::size_t a, std::size_t b) {
        return plan.timeline.placements[a].at < plan.timeline.placements[b].at;
    });
    return plan;
}

} // namespace voice::exporting
