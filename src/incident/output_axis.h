#pragma once
// Where the moments of an incident sound when it plays with the listening aids: pauses cut
// only where every recording sounding is in a long pause of its own (a pause of one voice
// while another speaks is kept, so the recordings stay where they happened against each
// other), and the speed applied to all of it alike. Frames are the incident's (the file's
// frames at 1x); the output counts from the moment playback started. Portable.

#include <cstdint>
#include <span>
#include <vector>

#include "review/processed_timeline.h"

namespace voice::incident {

struct FrameSpan {
    std::int64_t begin = 0, end = 0; // [begin, end)
    bool operator==(const FrameSpan&) const = default;
};

// A recording where it sounds in the incident, with its own long pauses' cuts.
struct PausedRecording {
    FrameSpan span;
    std::vector<FrameSpan> cuts; // in order, inside span
};

// The frames within `within` that some recording covers and every recording covering lies
// in a cut of its own; pieces shorter than least are left out.
std::vector<FrameSpan> SharedCuts(std::span<const PausedRecording> recordings, FrameSpan within,
                                  std::int64_t least);

class OutputAxis {
public:
    OutputAxis(std::int64_t from, double speed) : from_(from), speed_(speed) {}

    // Cuts found so far (any order; overlapping what is known already is fine).
    void AddCuts(std::span<const FrameSpan> cuts);
    // The output frame of the incident frame t (not before from).
    double Out(std::int64_t t) const;
    // The incident frame heard at output frame o; inside a cut, its start.
    double In(double o) const;
    // The cuts within [begin, end) of the incident.
    std::vector<FrameSpan> CutsWithin(FrameSpan span) const;
    // Incident seconds against seconds of the output counted from output frame o0, between
    // output frames o0 and o1: the clock of a part that holds them.
    std::vector<review::ProcessedTimeline::Corner> Corners(std::int64_t o0, std::int64_t o1,
                                                           int rate) const;

private:
    std::int64_t from_;
    double speed_;
    std::vector<FrameSpan> cuts_; // in order, apart
};

} // namespace voice::incident
