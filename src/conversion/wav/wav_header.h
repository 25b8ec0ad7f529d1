#pragma once
// The WAV headers the program writes: the playback file's 44 bytes (8-bit unsigned mono
// PCM at 7860 samples per second), and the 16-bit PCM header of the playback file of the
// listening aids and of the incident, played or saved. Each is written here alone.
// Portable: no <windows.h>.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "conversion/wav/little_endian.h"

namespace voice {

inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr std::uint32_t kPlaybackSampleRate = 7860; // the recorder's rate, not 8000

using WavHeader = std::array<std::uint8_t, kWavHeaderSize>;

// The playback header with the two sizes given; everything else is fixed.
WavHeader MakePlaybackWavHeader(std::uint32_t riffSize, std::uint32_t dataSize) noexcept;

// Header for a file in which all sourceLength bytes of a source follow the header.
WavHeader WavHeaderForSource(std::uint64_t sourceLength) noexcept;

// Header for a playback file that already holds its header and its samples. The sizes
// wrap modulo 2^32 as the fields do, also for a file shorter than a header.
WavHeader WavHeaderInPlace(std::uint64_t fileLength) noexcept;

// The length of a 16-bit PCM header: 44 bytes, or 68 in the extensible layout.
std::size_t Pcm16WavHeaderSize(bool extensible) noexcept;

// The header of a WAV holding dataBytes of interleaved 16-bit frames of channels at
// sampleRate; riffSize is the file's length less 8 (chunks may follow the data). The
// extensible layout gives every channel a track of its own, with no speaker positions
// (mask 0): a recorder channel is no loudspeaker.
std::vector<std::uint8_t> Pcm16WavHeader(int sampleRate, int channels, std::uint32_t dataBytes,
                                         std::uint32_t riffSize, bool extensible);

// The same for a file of the header and the data alone.
inline std::vector<std::uint8_t> Pcm16WavHeader(int sampleRate, int channels,
                                                std::uint32_t dataBytes) {
    return Pcm16WavHeader(sampleRate, channels, dataBytes,
                          dataBytes + static_cast<std::uint32_t>(kWavHeaderSize) - 8, false);
}
inline std::vector<std::uint8_t> Mono16WavHeader(int sampleRate, std::uint32_t dataBytes) {
    return Pcm16WavHeader(sampleRate, 1, dataBytes);
}

} // namespace voice
