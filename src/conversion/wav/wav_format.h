#pragma once
// A WAV file's format as every reader of the program takes it: the "fmt " chunk, which
// detection accepts only at offset 12, read once by one rule, and the data chunk the
// detection's walk finds (FindWavDataChunk). Playback samples, the export's kept layout
// and the incident's sources build on this. Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "conversion/wav/little_endian.h"

namespace voice {

inline constexpr std::uint16_t kWavPcm = 1;
inline constexpr std::uint16_t kWavFloat = 3;
inline constexpr std::uint16_t kWavExtensible = 0xFFFE;
// The fixed tail of every extensible sub-format identifier made from an old format tag
// (the tag's two bytes come first).
inline constexpr std::uint8_t kWavSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10,
                                                       0x00, 0x80, 0x00, 0x00, 0xAA,
                                                       0x00, 0x38, 0x9B, 0x71};

// Where the "fmt " chunk stands, and how much of it a reader needs: its header and the
// extensible layout's body up to the end of the sub-format identifier.
inline constexpr std::uint64_t kWavFormatChunkOffset = 12;
inline constexpr std::size_t kWavFormatChunkBytes = 8 + 40;

struct WavFormat {
    // An extensible format stands for its sub-format when that names an old format tag;
    // otherwise kWavExtensible stays.
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bytesPerSecond = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t chunkSize = 0; // as the chunk's header declares it

    // Samples the program decodes: integer PCM of 8, 16, 24 or 32 bits or 32-bit float,
    // at least one channel, a rate from 1 to 1,000,000.
    bool Decodable() const noexcept;
};

// The format from the chunk's bytes as read from offset 12 (fewer than
// kWavFormatChunkBytes when the file is shorter); nullopt when its 16 basic bytes are not
// all there.
std::optional<WavFormat> ParseWavFormat(std::span<const std::uint8_t> chunk) noexcept;

} // namespace voice
