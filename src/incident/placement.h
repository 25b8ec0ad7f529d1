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

// Silences between recordings longer than this are shortened to it unless asked otherwise:
// a pause a dispatcher would sit through, not the hour between calls.
inline constexpr double kDefaultGapSeconds = 2.0;

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

// The same one recording at a time, in order of where they begin within the span (their
// start, or the span's beginning for one that starts before it): a recording's place is
// final as soon as it is given, so an incident can sound before its last source is looked at.
class Placer {
public:
    Placer(std::int64_t maxGap, std::optional<TimeSpan> span);
    Placement Place(const Recording& recording);
    // The file's length, once every recording is placed.
    std::int64_t Frames() const;

private:
    std::int64_t Shortened(std::int64_t silence) const;

    std::int64_t maxGap_;
    std::optional<TimeSpan> span_;
    bool started_ = false;     // a recording has sounded
    std::int64_t origin_ = 0;  // from then on: where the first sound began
    std::int64_t covered_ = 0; // and the farthest end so far
    std::int64_t removed_ = 0;
};

// maxGap 0 keeps real time. Without a span the file runs from the first recording's start
// to the last one's end; with one it runs over the span, its silent ends shortened as any
// other silence.
IncidentTimeline PlaceRecordings(std::span<const Recording> recordings, std::int64_t maxGap,
                                 std::optional<TimeSpan> span);

} // namespace voice::incident
