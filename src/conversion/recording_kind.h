#pragma once
// The seven stored forms of a recording and how they are told apart by the first bytes
// of the file (and a WAV file's chunk headers). Portable: no <windows.h>.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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
// The first read covers a canonical WAV header, "data" at offset 36.
inline constexpr std::size_t kDetectionSize = 44;
// A WAV file shorter than this is never taken for one.
inline constexpr std::size_t kMinWavSize = 40;
// WAV files from other tools put chunks ("LIST", "fact", a longer "fmt ") before "data".
// The walk from "fmt " stops after this many chunk headers, so detection costs a few
// small reads whatever the file holds.
inline constexpr int kMaxChunksWalked = 16;

using Signature = std::array<std::uint8_t, kSignatureSize>;

// Random access to a recording's bytes for detection.
class RecordingBytes {
public:
    virtual ~RecordingBytes() = default;
    // Reads up to into.size() bytes at offset and returns how many were read: fewer at
    // the end of the file, 0 past it or when the read fails.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
};

// A whole recording or file in memory.
class MemoryBytes final : public RecordingBytes {
public:
    explicit MemoryBytes(std::span<const std::uint8_t> bytes) noexcept : bytes_(bytes) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// The signature that starts a recording of kinds 3 to 7; nullptr for kinds 1 and 2.
const Signature* SignatureOf(RecordingKind kind) noexcept;

// The kind of a recording. A WAV file is one of at least 40 bytes with "RIFF", "WAVE"
// and "fmt " at offsets 0, 8 and 12 and either "data" at 36 or a "data" chunk whose
// 8-byte header lies inside the file, reached by walking the chunks from offset 12
// (tag, little-endian size, body padded to an even length; at most kMaxChunksWalked).
// Reads the first 44 bytes, then at most one 8-byte header per chunk walked past them,
// then, unless the result is Wav, the first 16 bytes again.
RecordingKind DetectRecordingKind(RecordingBytes& recording);

// Where a WAV file's samples are: the body of the "data" chunk the detection's walk
// reaches (its size as the chunk header states it); nullopt for anything else.
struct WavDataChunk {
    std::uint64_t offset;
    std::uint32_t size;
};
std::optional<WavDataChunk> FindWavDataChunk(RecordingBytes& recording);

// The same for a whole recording held in memory.
RecordingKind DetectRecordingKind(std::span<const std::uint8_t> recording);

// A recording that begins as a WAV file ("RIFF") but that the detection does not read as
// one: its header is damaged, and it plays as headerless 8-bit samples, header and all.
bool IsDamagedWav(RecordingKind kind, std::span<const std::uint8_t> head) noexcept;

} // namespace voice
