#pragma once
// Where each recording of an incident sounds in the file: at its true start, overlaps kept
// as they happened, a silence between recordings longer than the gap shortened to it, all
// of it cut to a span when one is given. Times are frames of the output on the real time
// axis (seconds since any fixed moment times the output rate). Portable.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace voice::incident {

struct Recording {
    std::int64_t start = 0;  // on the real time axis
    std::int64_t frames = 0; // how long it sounds
};

struct Placement {
    std::int64_t at = 0;     // its first frame in the file
    std::int64_t skip = 0;   // frames cut from its beginning by the span
    std::int64_t frames = 0; // frames it sounds in the file; 0: outside the span
};

struct TimeSpan {
    std::int64_t from = 0, to = 0; // [from, to) on the real time axis
};

struct IncidentTimeline {
    std::vector<Placement> placements; // one per recording, in the order given
    std::int64_t frames = 0;           // the file's length
};

// maxGap 0 keeps real time. Without a span the file runs from the first recording's start
// to the last one's end; with one it runs over the span, its silent ends shortened as any
// other silence.
IncidentTimeline PlaceRecordings(std::span<const Recording> recordings, std::int64_t maxGap,
                                 std::optional<TimeSpan> span);

} // namespace voice::incident
