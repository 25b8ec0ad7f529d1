#pragma once
// Where each moment of a recording went in its processed form (pauses cut, speed
// changed), and back: a speed change during playback continues from the same moment of
// the recording. Portable: no <windows.h>.

#include <vector>

namespace voice::review {

// A piecewise linear, non-decreasing map between source seconds and output seconds, held
// as its corners. Moments outside the corners are clamped to the first or last one. A cut
// pause is a flat piece: every source moment inside it maps to the one output moment of
// the cut, and that output moment maps back to the cut's start.
class ProcessedTimeline {
public:
    struct Corner {
        double source = 0;
        double output = 0;
    };

    ProcessedTimeline() = default;
    // Corners in order, both coordinates non-decreasing.
    explicit ProcessedTimeline(std::vector<Corner> corners);

    double OutputFromSource(double sourceSeconds) const;
    double SourceFromOutput(double outputSeconds) const;

    const std::vector<Corner>& Corners() const noexcept { return corners_; }

private:
    std::vector<Corner> corners_;
};

} // namespace voice::review
