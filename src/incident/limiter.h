#pragma once
// A look-ahead limiter that keeps every sample under the ceiling without a step: the gain
// for a frame is the mean, over the look-ahead before it, of the least gain any frame
// within the look-ahead around needs, so it is already down when a peak arrives and never
// above what the frame itself needs. It recovers slowly. Frames come out delayed by the
// look-ahead; Finish gives the rest, so as many frames come out as went in. Portable.

#include <cstddef>
#include <deque>
#include <span>
#include <vector>

namespace voice::incident {

class Limiter {
public:
    Limiter(int channels, std::size_t lookahead, float ceiling, float releasePerFrame);

    // Interleaved frames in; what is ready is appended to out.
    void Process(std::span<const float> frames, std::vector<float>& out);
    // The held frames, as if silence followed.
    void Finish(std::vector<float>& out);

private:
    void Push(const float* frame, std::vector<float>& out);

    std::size_t channels_, lookahead_;
    float ceiling_, release_;
    std::size_t count_ = 0;                                 // frames pushed
    std::deque<std::pair<std::size_t, float>> minima_;      // ascending needs in the window
    std::deque<float> needs_;                               // the means' terms
    double needSum_ = 0;
    float gain_ = 1;
    std::deque<float> delayed_;                             // lookahead frames, interleaved
};

} // namespace voice::incident
