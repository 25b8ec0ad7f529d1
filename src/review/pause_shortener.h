#pragma once
// Long pauses cut short. A pause is a run of frames quieter than the recording's own noise
// floor allows speech to be; the floor follows the recording, so a hissing line and a
// clean one are judged alike. Portable: no <windows.h>.

#include <cstddef>
#include <span>
#include <vector>

namespace voice::review {

inline constexpr double kLongPauseSeconds = 0.7;  // pauses longer than this are cut...
inline constexpr double kKeptPauseSeconds = 0.25; // ...to this, half at each end
inline constexpr double kPauseFadeSeconds = 0.015;

// Samples [begin, end) taken out of the middle of a long pause.
struct PauseCut {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const PauseCut&) const = default;
};

// Every long pause's middle, in order. What is heard (bursts of sound, and the ends of each
// pause next to them) is never inside a cut.
std::vector<PauseCut> FindPauseCuts(std::span<const float> samples, int sampleRate);

// The samples without the cuts, faded out before and in after each one so no click is heard.
// Cuts must be in order, apart, and within the samples.
std::vector<float> RemoveCuts(std::span<const float> samples, std::span<const PauseCut> cuts,
                              int sampleRate);

} // namespace voice::review
