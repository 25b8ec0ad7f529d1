#pragma once
// The seven stored forms of a recording and how they are told apart by the first bytes
// of the file. Portable: no <windows.h>.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace voice {

enum class RecordingKind : std::uint8_t {
    Wav = 1,           // copied as it stands
    HeaderlessPcm = 2, // 8-bit unsigned samples, no header; also the default
    Inverted = 3,      // signature, then inverted-and-rotated samples
    InvertedRuns = 4,  // signature, then inverted-and-rotated samples with marker/count runs
    SwappedRuns = 5,   // signature, then nibble-swapped inverted samples with header/value runs
    PlainRuns = 6,     // signature, then plain samples with header/value runs
    Undecodable = 7,   // signature of a form without a decoder: plays as nothing
};

inline constexpr std::size_t kSignatureSize = 16;
// Detection never looks further than the end of a canonical WAV header.
inline constexpr std::size_t kDetectionSize = 44;

using Signature = std::array<std::uint8_t, kSignatureSize>;

// The signature that starts a recording of kinds 3 to 7; nullptr for kinds 1 and 2.
const Signature* SignatureOf(RecordingKind kind) noexcept;

// True when "RIFF", "WAVE", "fmt " and "data" stand at offsets 0, 8, 12 and 36.
bool HasWavTags(std::span<const std::uint8_t> firstBytes) noexcept;

// The kind whose signature equals the first 16 bytes, tried in the order 3 to 7;
// HeaderlessPcm when none does.
RecordingKind MatchSignature(std::span<const std::uint8_t> firstBytes) noexcept;

// The kind of a recording whose first bytes are given. Bytes past the end of the span
// count as zero, as they do for a file shorter than the bytes detection reads.
RecordingKind DetectRecordingKind(std::span<const std::uint8_t> firstBytes) noexcept;

} // namespace voice
