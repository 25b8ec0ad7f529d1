#pragma once
// A recording's mono samples pulled a block at a time, so that memory stays the same
// however long the recording. Portable.

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

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

// Samples held in memory: a recording processed whole.
class HeldSource final : public SampleSource {
public:
    explicit HeldSource(std::vector<float> samples) : samples_(std::move(samples)) {}
    std::size_t Read(std::span<float> into) override {
        const std::size_t n = std::min(into.size(), samples_.size() - at_);
        std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(at_), n, into.begin());
        at_ += n;
        return n;
    }

private:
    std::vector<float> samples_;
    std::size_t at_ = 0;
};

} // namespace voice::incident
