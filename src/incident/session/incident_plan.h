#pragma once
// Where the incident's sources sound: the options asked for, the output rate, each source
// placed on the real time axis with the gap rule and the span, its lane and the lanes'
// gains. Shared by the file written for keeps and the one the window plays. Portable.

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "catalogue/date_time.h"
#include "catalogue/line_columns.h"
#include "incident/mix.h"
#include "incident/placement.h"
#include "incident/session/incident_source.h"

namespace voice::incident {

struct IncidentOptions {
    double gapSeconds = kDefaultGapSeconds; // longer silences are shortened to this; 0 keeps them
    Layout layout = Layout::Stereo;
    std::optional<DateTimeParts> from, to; // the span, both or neither
};

// What placing needs before any source's length is known: the axis, the gap, the span and
// the lanes (the channels present, in order).
struct IncidentFrame {
    int rate = 0;
    std::int64_t origin = 0; // the first start, in seconds: frame 0 of the real time axis
    std::int64_t maxGap = 0;
    std::optional<TimeSpan> span;
    std::vector<int> lanes;
    LaneGains gains;

    std::size_t LaneOf(int channel) const;
    // A source of frames at its own rate, on the axis at the output rate.
    Recording RecordingOf(const LineColumns& columns, int sourceRate, std::uint64_t frames) const;
    // Where it begins within the span: the order the placer takes them in.
    std::int64_t BeginOf(const LineColumns& columns) const;
};

// columns: not empty.
IncidentFrame FrameIncident(std::span<const LineColumns* const> columns, int rate,
                            const IncidentOptions& options);

struct IncidentPlan {
    int rate = 0;
    std::int64_t origin = 0;
    IncidentTimeline timeline;
    LaneGains gains;
    std::vector<MixItem> items;      // one per source
    std::vector<std::size_t> placed; // the sources in the file, by their place in it
};

// The longest silence kept, in frames: 0 (real time) only for a gap of 0.
std::int64_t GapFrames(double gapSeconds, int rate);

// The span asked for as true instants (UTC seconds), from and to.
std::optional<std::pair<std::int64_t, std::int64_t>> SpanInstants(const IncidentOptions& options);

// The recorder's rate when every source has it; else the highest, the others resampled.
int OutputRate(std::span<const int> sourceRates);

// sources: not empty.
IncidentPlan PlanIncident(const std::vector<IncidentSource>& sources,
                          const IncidentOptions& options);

} // namespace voice::incident
