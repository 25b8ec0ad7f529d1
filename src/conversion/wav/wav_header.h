#pragma once
// The 44-byte RIFF/WAVE header of the playback file: 8-bit unsigned mono PCM at 7860
// samples per second. Portable: no <windows.h>.

#include <array>
#include <cstddef>
#include <cstdint>

namespace voice {

inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr std::uint32_t kPlaybackSampleRate = 7860; // the recorder's rate, not 8000

using WavHeader = std::array<std::uint8_t, kWavHeaderSize>;

inline void StoreLittleEndian16(std::uint8_t* at, std::uint16_t value) noexcept {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void StoreLittleEndian32(std::uint8_t* at, std::uint32_t value) noexcept {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

// The playback header with the two sizes given; everything else is fixed.
WavHeader MakePlaybackWavHeader(std::uint32_t riffSize, std::uint32_t dataSize) noexcept;

// Header for a file in which all sourceLength bytes of a source follow the header.
WavHeader WavHeaderForSource(std::uint64_t sourceLength) noexcept;

// Header for a playback file that already holds its header and its samples. The sizes
// wrap modulo 2^32 as the fields do, also for a file shorter than a header.
WavHeader WavHeaderInPlace(std::uint64_t fileLength) noexcept;

} // namespace voice
