#include "conversion/recording_kind.h"

#include "conversion/wav/wav_format.h"

#include <algorithm>

namespace voice {
namespace {

constexpr Signature kInvertedSignature = {0x73, 0x45, 0x41, 0x29, 0x38, 0x46, 0x88, 0x61,
                                          0x34, 0x02, 0x70, 0x73, 0x66, 0xE0, 0x23, 0x25};
constexpr Signature kInvertedRunsSignature = {0x61, 0x54, 0x35, 0x26, 0x11, 0x17, 0x33, 0x48,
                                              0x45, 0x42, 0x89, 0xA2, 0xC0, 0x70, 0x6A, 0x8D};
constexpr Signature kSwappedRunsSignature = {0x61, 0x54, 0x35, 0x26, 0x11, 0x17, 0x33, 0x48,
                                             0x45, 0x42, 0x89, 0xA2, 0xC8, 0x78, 0x6A, 0x8D};
constexpr Signature kPlainRunsSignature = {0x61, 0x54, 0x35, 0x26, 0x11, 0x17, 0x33, 0x48,
                                           0x45, 0x42, 0x89, 0xA2, 0xCA, 0x7A, 0x6A, 0x8D};
constexpr Signature kUndecodableSignature = {0xE1, 0xC8, 0xA6, 0x44, 0x7E, 0x8D, 0xE3, 0x76,
                                             0x85, 0x45, 0x32, 0x53, 0xD2, 0x2F, 0x77, 0xF0};

// Compares against zeros past the end of the given bytes: a short file never matches,
// since no tag or signature holds a zero byte.
bool BytesAt(std::span<const std::uint8_t> bytes, std::size_t offset,
             std::span<const std::uint8_t> expected) noexcept {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::size_t at = offset + i;
        const std::uint8_t actual = at < bytes.size() ? bytes[at] : 0;
        if (actual != expected[i])
            return false;
    }
    return true;
}

bool TagAt(std::span<const std::uint8_t> bytes, std::size_t offset, const char (&tag)[5]) {
    const std::uint8_t expected[4] = {
        static_cast<std::uint8_t>(tag[0]), static_cast<std::uint8_t>(tag[1]),
        static_cast<std::uint8_t>(tag[2]), static_cast<std::uint8_t>(tag[3])};
    return BytesAt(bytes, offset, expected);
}

constexpr std::uint64_t kFirstChunk = kWavFormatChunkOffset;
constexpr std::size_t kChunkHeaderSize = 8;

// Walks the chunks from "fmt " at offset 12 to a "data" chunk whose header lies inside
// the file. Headers within the first bytes already read are taken from them. Each step
// moves forward by at least 8 bytes, and 16 steps of at most 2^32 + 8 bytes each cannot
// overflow 64 bits, so the walk always ends.
std::optional<WavDataChunk> WalkToDataChunk(RecordingBytes& recording,
                                            std::span<const std::uint8_t> firstBytes) {
    std::uint64_t offset = kFirstChunk;
    for (int walked = 0; walked < kMaxChunksWalked; ++walked) {
        std::uint8_t header[kChunkHeaderSize] = {};
        if (offset + kChunkHeaderSize <= firstBytes.size()) {
            std::copy_n(firstBytes.begin() + static_cast<std::ptrdiff_t>(offset), kChunkHeaderSize,
                        header);
        } else if (recording.ReadAt(offset, header) != kChunkHeaderSize) {
            return std::nullopt; // the header crosses the end of the file
        }
        const std::uint32_t size = LoadLittleEndian32(header + 4);
        if (TagAt(header, 0, "data"))
            return WavDataChunk{offset + kChunkHeaderSize, size};
        offset += kChunkHeaderSize + size + (size & 1);
    }
    return std::nullopt;
}

// True when "RIFF", "WAVE", "fmt " and "data" stand at offsets 0, 8, 12 and 36.
bool HasWavTags(std::span<const std::uint8_t> firstBytes) noexcept {
    return TagAt(firstBytes, 0, "RIFF") && TagAt(firstBytes, 8, "WAVE") &&
           TagAt(firstBytes, 12, "fmt ") && TagAt(firstBytes, 36, "data");
}

// The kind whose signature equals the first 16 bytes, tried in the order 3 to 7;
// HeaderlessPcm when none does.
RecordingKind MatchSignature(std::span<const std::uint8_t> firstBytes) noexcept {
    for (auto kind :
         {RecordingKind::Inverted, RecordingKind::InvertedRuns, RecordingKind::SwappedRuns,
          RecordingKind::PlainRuns, RecordingKind::Undecodable}) {
        if (BytesAt(firstBytes, 0, *SignatureOf(kind)))
            return kind;
    }
    return RecordingKind::HeaderlessPcm;
}

} // namespace

const Signature* SignatureOf(RecordingKind kind) noexcept {
    switch (kind) {
    case RecordingKind::Inverted:
        return &kInvertedSignature;
    case RecordingKind::InvertedRuns:
        return &kInvertedRunsSignature;
    case RecordingKind::SwappedRuns:
        return &kSwappedRunsSignature;
    case RecordingKind::PlainRuns:
        return &kPlainRunsSignature;
    case RecordingKind::Undecodable:
        return &kUndecodableSignature;
    default:
        return nullptr;
    }
}

RecordingKind DetectRecordingKind(RecordingBytes& recording) {
    // Unread bytes stay zero, and no tag or signature holds a zero byte.
    std::array<std::uint8_t, kDetectionSize> head{};
    const std::size_t got = recording.ReadAt(0, head);
    if (HasWavTags(head))
        return RecordingKind::Wav;
    if (got >= kMinWavSize && TagAt(head, 0, "RIFF") && TagAt(head, 8, "WAVE") &&
        TagAt(head, 12, "fmt ") &&
        WalkToDataChunk(recording, std::span(head).first(std::min(got, head.size()))))
        return RecordingKind::Wav;
    std::array<std::uint8_t, kSignatureSize> signature{};
    recording.ReadAt(0, signature);
    return MatchSignature(signature);
}

std::optional<WavDataChunk> FindWavDataChunk(RecordingBytes& recording) {
    std::array<std::uint8_t, kDetectionSize> head{};
    const std::size_t got = recording.ReadAt(0, head);
    if (got < kMinWavSize || !TagAt(head, 0, "RIFF") || !TagAt(head, 8, "WAVE") ||
        !TagAt(head, 12, "fmt "))
        return std::nullopt;
    return WalkToDataChunk(recording, std::span(head).first(got));
}

RecordingKind DetectRecordingKind(std::span<const std::uint8_t> recording) {
    MemoryBytes bytes(recording);
    return DetectRecordingKind(bytes);
}

bool IsDamagedWav(RecordingKind kind, std::span<const std::uint8_t> head) noexcept {
    constexpr std::uint8_t kRiff[] = {'R', 'I', 'F', 'F'};
    return kind == RecordingKind::HeaderlessPcm && head.size() >= 4 &&
           std::equal(kRiff, kRiff + 4, head.begin());
}

std::size_t MemoryBytes::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
    if (offset >= bytes_.size())
        return 0;
    const std::size_t n = std::min<std::size_t>(into.size(), bytes_.size() - offset);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), n, into.begin());
    return n;
}

} // namespace voice
