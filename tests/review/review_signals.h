#pragma once
// Signals made for the listening aids' tests, and the measures the tests judge them by.

#include <cstddef>
#include <span>
#include <vector>

namespace voice::review::test {

inline constexpr int kRate = 7860; // the recorder's sample rate

// A voiced sound: harmonics of f0 falling off as 1/k up to the Nyquist limit, with a 5 Hz
// vibrato of +-2 %, scaled to the given RMS.
std::vector<float> Voiced(double f0, double seconds, double rms, int rate = kRate);

// Gaussian-like noise (sum of uniforms) at the given RMS; a fixed seed.
std::vector<float> Noise(double seconds, double rms, unsigned seed, int rate = kRate);

// Appends b to a.
void Append(std::vector<float>& a, std::span<const float> b);

// The fundamental by normalised autocorrelation over 60 ms windows, averaged over the
// voiced windows.
double FundamentalHz(std::span<const float> samples, int rate = kRate);

// The largest difference between neighbouring samples.
float LargestStep(std::span<const float> samples);

float Peak(std::span<const float> samples);

double RmsDb(std::span<const float> samples);

} // namespace voice::review::test
