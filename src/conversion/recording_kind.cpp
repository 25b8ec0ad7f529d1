#include "conversion/recording_kind.h"

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

bool HasWavTags(std::span<const std::uint8_t> firstBytes) noexcept {
    return TagAt(firstBytes, 0, "RIFF") && TagAt(firstBytes, 8, "WAVE") &&
           TagAt(firstBytes, 12, "fmt ") && TagAt(firstBytes, 36, "data");
}

RecordingKind MatchSignature(std::span<const std::uint8_t> firstBytes) noexcept {
    for (auto kind :
         {RecordingKind::Inverted, RecordingKind::InvertedRuns, RecordingKind::SwappedRuns,
          RecordingKind::PlainRuns, RecordingKind::Undecodable}) {
        if (BytesAt(firstBytes, 0, *SignatureOf(kind)))
            return kind;
    }
    return RecordingKind::HeaderlessPcm;
}

RecordingKind DetectRecordingKind(std::span<const std::uint8_t> firstBytes) noexcept {
    return HasWavTags(firstBytes) ? RecordingKind::Wav : MatchSignature(firstBytes);
}

} // namespace voice
