// Detection over arbitrary first bytes: it looks at no byte past 44, a short file
// behaves as if padded with zeros, and a signature result means the signature is there.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "conversion/recording_kind.h"

using voice::RecordingKind;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const RecordingKind kind = voice::DetectRecordingKind(bytes);
    const auto value = static_cast<int>(kind);
    if (value < 1 || value > 7)
        std::abort();

    std::uint8_t padded[voice::kDetectionSize + 8] = {};
    std::memcpy(padded, data, size < sizeof padded ? size : sizeof padded);
    if (voice::DetectRecordingKind(std::span(padded, voice::kDetectionSize)) != kind)
        std::abort(); // bytes past 44 matter, or zeros differ from a short file
    if (voice::DetectRecordingKind(std::span(padded)) != kind)
        std::abort();

    if (kind == RecordingKind::Wav && (size < 40 || std::memcmp(data + 36, "data", 4) != 0))
        std::abort();
    if (const voice::Signature* signature = voice::SignatureOf(kind)) {
        if (size < voice::kSignatureSize ||
            std::memcmp(data, signature->data(), voice::kSignatureSize) != 0)
            std::abort();
    }
    if (kind == RecordingKind::HeaderlessPcm && voice::HasWavTags(bytes))
        std::abort();
    return 0;
}
