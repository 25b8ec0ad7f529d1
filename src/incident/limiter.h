#pragma once
// A look-ahead limiter that keeps every sample under the ceiling without a step. It works
// on units of a few frames: a unit's gain is the mean, over the look-ahead before it, of
// the least gain any unit within the look-ahead around needs, so it is already down when
// a peak arrives; within a unit the gain moves in a straight line from the unit before,
// and both ends are below what every frame of the unit needs. It recovers slowly. Frames
// come out delayed; Finish gives the rest (with silence after the last frame in, which
// the caller cuts). Portable.

#include <cstddef>
#include <span>
#include <vector>

namespace voice::incident {

class Limiter {
public:
    // lookahead in frames (rounded up to whole units).
    Limiter(int channels, std::size_t lookahead, float ceiling, float releasePerFrame);

    // Interleaved frames in; what is ready is appended to out.
    void Process(std::span<const float> frames, std::vector<float>& out);
    // The held frames, as if silence followed.
    void Finish(std::vector<float>& out);

private:
    void Units(const float* in, std::size_t units, std::vector<float>& out);

    std::size_t channels_, lookahead_; // the look-ahead in units
    float ceiling_, release_;          // release per unit
    std::size_t toSkip_;               // units of the initial delay not yet dropped
    float gain_ = 1;                   // of the last unit out
    std::vector<float> input_;         // frames not yet making a whole unit
    std::vector<float> needs_;         // the last 2 * lookahead + 1 units' needs, then the new ones
    std::vector<float> least_;         // the last lookahead least needs, then the new ones
    std::vector<float> delayed_;       // the last lookahead + 1 units' frames
    std::vector<float> prefix_, suffix_, gains_, frameGains_;
    std::vector<double> sums_;
};

} // namespace voice::incident
