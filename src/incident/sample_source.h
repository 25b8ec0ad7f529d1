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

// A hold on a source that someone else owns and keeps open.
class BorrowedSource final : public SampleSource {
public:
    explicit BorrowedSource(SampleSource& from) noexcept : from_(from) {}
    std::size_t Read(std::span<float> into) override { return from_.Read(into); }

private:
    SampleSource& from_;
};

} // namespace voice::incident
