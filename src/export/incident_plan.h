#pragma once
// Where the incident's sources sound: the output rate, each source placed on the real time
// axis with the gap rule and the span, its lane and the lanes' gains. Shared by the file
// written for keeps and the one the window plays. Portable.

#include <cstdint>
#include <vector>

#include "export/incident_export.h"
#include "export/incident_sources.h"
#include "incident/mix.h"
#include "incident/placement.h"

namespace voice::exporting {

struct IncidentPlan {
    int rate = 0;
    std::int64_t origin = 0; // the first start, in seconds: frame 0 of the real time axis
    incident::IncidentTimeline timeline;
    incident::LaneGains gains;
    std::vector<incident::MixItem> items; // one per source
    std::vector<std::size_t> placed;      // the sources in the file, by their place in it
};

// sources: not empty.
IncidentPlan PlanIncident(const std::vector<IncidentSource>& sources,
                          const IncidentOptions& options);

} // namespace voice::exporting
