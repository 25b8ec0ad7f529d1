#pragma once
// The incident file's header: RIFF, a 16-bit PCM "fmt " and the "data" chunk's header.
// Tracks use the extensible format: one channel per recorder channel, no speaker
// positions (mask 0), since a recorder channel is no loudspeaker. Portable.

#include <cstdint>
#include <vector>

namespace voice::incident {

// The header's length for the layout.
std::size_t WavHeaderSize(bool extensible) noexcept;

// riffSize: the whole file's length less 8; dataBytes: the data chunk's length.
std::vector<std::uint8_t> WavHeader(int rate, int channels, bool extensible,
                                    std::uint32_t dataBytes, std::uint32_t riffSize);

} // namespace voice::incident
