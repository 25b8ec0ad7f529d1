#pragma once
// A recording's mono samples pulled a block at a time, so that memory stays the same
// however long the recording. Portable.

#include <cstddef>
#include <span>

namespace voice::incident {

class SampleSource {
public:
    virtual ~SampleSource() = default;
    // Fills into from the current position, -1 .. 1; fewer only at the end or on a failure.
    virtual std::size_t Read(std::span<float> into) = 0;
};

} // namespace voice::incident
