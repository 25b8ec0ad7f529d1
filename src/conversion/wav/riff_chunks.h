#pragma once
// The chunks the export adds to its WAV files, as bytes. Each chunk is its 4-byte id, its
// size and its data, padded to an even length. Texts are UTF-8, zero-terminated. Portable.

#include <cstdint>
#include <string>
#include <vector>

namespace voice {

using Bytes = std::vector<std::uint8_t>;

struct InfoTexts {
    std::wstring name;    // INAM
    std::wstring created; // ICRD
    std::wstring comment; // ICMT
};
// "LIST" with form type "INFO" holding INAM, ICRD and ICMT.
Bytes InfoListChunk(const InfoTexts& texts);

struct CuePoint {
    std::uint32_t id = 0;
    std::uint32_t sampleOffset = 0; // in the data chunk
    std::wstring label;
};
// "cue " with one point per entry, all in the "data" chunk.
Bytes CueChunk(const std::vector<CuePoint>& points);
// "LIST" with form type "adtl" holding one "labl" per point.
Bytes LabelListChunk(const std::vector<CuePoint>& points);

// The sizes of the two above without building them (for the 4 GB check).
std::uint64_t CueChunkSize(std::size_t pointCount) noexcept;
std::uint64_t LabelListChunkSize(const std::vector<CuePoint>& points);

} // namespace voice
