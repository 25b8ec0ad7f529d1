#pragma once
// Band-limited rate conversion: a Kaiser-windowed sinc, tabulated at fine phases and
// interpolated between them, cut off just below half the lower rate so that the images
// of an upsampled recording lie at least 60 dB down. Streams with fixed memory. Portable.

#include <cstdint>
#include <memory>
#include <vector>

#include "incident/sample_source.h"

namespace voice::incident {

class Resampler final : public SampleSource {
public:
    Resampler(std::unique_ptr<SampleSource> input, int inRate, int outRate);
    std::size_t Read(std::span<float> into) override;

private:
    // The input sample at absolute index; zero before the start and after the end.
    bool Ensure(std::int64_t last);
    float Interpolated() const;
    float Tabulated() const;
    double Kernel(double distance) const; // in input samples

    std::unique_ptr<SampleSource> input_;
    std::int64_t inRate_, outRate_;
    double scale_;             // kernel argument per input sample
    double gain_;              // keeps the passband at unity
    int halfWidth_;            // input samples on either side of the output instant
    std::vector<float> table_; // the kernel at kPhases points per unit of its argument
    // Where the rates have few phases between them (7860 to 44100: 735), each phase's
    // taps worked out once: a plain dot product per sample. Empty otherwise.
    std::vector<float> taps_;
    std::int64_t phaseStep_ = 1; // rem_ per phase
    std::vector<float> held_;    // input samples from index heldFrom_
    std::int64_t heldFrom_ = 0;
    bool ended_ = false;
    std::int64_t inputFrames_ = 0; // read so far; all of them once ended_
    std::int64_t whole_ = 0;       // the output instant in input samples: whole_ + rem_/outRate_
    std::int64_t rem_ = 0;
};

} // namespace voice::incident
