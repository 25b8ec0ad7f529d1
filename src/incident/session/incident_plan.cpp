#include "incident/session/incident_plan.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>

#include "catalogue/local_time.h"

namespace voice::incident {

int OutputRate(std::span<const int> sourceRates) {
    int highest = 0;
    for (const int rate : sourceRates)
        highest = std::max(highest, rate);
    return highest;
}

std::int64_t GapFrames(double gapSeconds, int rate) {
    if (!(gapSeconds > 0))
        return 0;
    // A gap asked for is at least a sample: only 0 means real time.
    return std::max<std::int64_t>(std::llround(gapSeconds * rate), 1);
}

std::optional<std::pair<std::int64_t, std::int64_t>> SpanInstants(const IncidentOptions& options) {
    if (!options.from || !options.to)
        return std::nullopt;
    // A time the clock showed twice: the span takes in both.
    return std::pair(InstantOfLocal(SecondsOf(*options.from), INT64_MIN),
                     InstantOfLocal(SecondsOf(*options.to), INT64_MAX));
}

std::size_t IncidentFrame::LaneOf(int channel) const {
    return static_cast<std::size_t>(std::lower_bound(lanes.begin(), lanes.end(), channel) -
                                    lanes.begin());
}

Recording IncidentFrame::RecordingOf(const LineColumns& columns, int sourceRate,
                                     std::uint64_t frames) const {
    // As many output frames as the resampler gives: every input frame's instant.
    const auto out = static_cast<std::int64_t>(
        (frames * static_cast<std::uint64_t>(rate) + static_cast<std::uint64_t>(sourceRate) - 1) /
        static_cast<std::uint64_t>(sourceRate));
    return {(columns.startInstant - origin) * rate, out};
}

std::int64_t IncidentFrame::BeginOf(const LineColumns& columns) const {
    const std::int64_t start = (columns.startInstant - origin) * rate;
    return span ? std::max(start, span->from) : start;
}

IncidentFrame FrameIncident(std::span<const LineColumns* const> columns, int rate,
                            const IncidentOptions& options) {
    IncidentFrame frame;
    frame.rate = rate;
    frame.origin = columns.front()->startInstant;
    std::set<int> channels;
    for (const LineColumns* c : columns) {
        frame.origin = std::min(frame.origin, c->startInstant);
        channels.insert(c->channel);
    }
    if (const auto span = SpanInstants(options))
        frame.span =
            TimeSpan{(span->first - frame.origin) * rate, (span->second - frame.origin) * rate};
    frame.maxGap = GapFrames(options.gapSeconds, rate);
    frame.lanes.assign(channels.begin(), channels.end());
    frame.gains = GainsFor(options.layout, frame.lanes.size());
    return frame;
}

IncidentPlan PlanIncident(const std::vector<IncidentSource>& sources,
                          const IncidentOptions& options) {
    std::vector<int> rates;
    std::vector<const LineColumns*> columns;
    for (const IncidentSource& s : sources) {
        rates.push_back(s.rate);
        columns.push_back(&s.columns);
    }
    const IncidentFrame frame = FrameIncident(columns, OutputRate(rates), options);
    IncidentPlan plan;
    plan.rate = frame.rate;
    plan.origin = frame.origin;
    plan.gains = frame.gains;
    std::vector<Recording> recordings;
    for (const IncidentSource& s : sources)
        recordings.push_back(frame.RecordingOf(s.columns, s.rate, s.frames));
    plan.timeline = PlaceRecordings(recordings, frame.maxGap, frame.span);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        plan.items.push_back(
            {frame.LaneOf(sources[i].columns.channel), plan.timeline.placements[i]});
        if (plan.timeline.placements[i].frames > 0)
            plan.placed.push_back(i);
    }
    std::stable_sort(plan.placed.begin(), plan.placed.end(), [&](std::size_t a, std::size_t b) {
        return plan.timeline.placements[a].at < plan.timeline.placements[b].at;
    });
    return plan;
}

} // namespace voice::incident
