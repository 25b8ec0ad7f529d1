#include "conversion/wav/wav_format.h"

#include <algorithm>
#include <iterator>

namespace voice {
namespace {

constexpr std::uint32_t kExtensibleBody = 40;

} // namespace

bool WavFormat::Decodable() const noexcept {
    const bool integer = formatTag == kWavPcm && (bitsPerSample == 8 || bitsPerSample == 16 ||
                                                  bitsPerSample == 24 || bitsPerSample == 32);
    const bool floating = formatTag == kWavFloat && bitsPerSample == 32;
    return (integer || floating) && channels != 0 && sampleRate != 0 &&
           sampleRate <= 1'000'000;
}

std::optional<WavFormat> ParseWavFormat(std::span<const std::uint8_t> chunk) noexcept {
    if (chunk.size() < 8 + 16)
        return std::nullopt;
    const std::uint8_t* body = chunk.data() + 8;
    WavFormat format;
    format.chunkSize = LoadLittleEndian32(chunk.data() + 4);
    format.formatTag = LoadLittleEndian16(body);
    format.channels = LoadLittleEndian16(body + 2);
    format.sampleRate = LoadLittleEndian32(body + 4);
    format.bytesPerSecond = LoadLittleEndian32(body + 8);
    format.bitsPerSample = LoadLittleEndian16(body + 14);
    if (format.formatTag == kWavExtensible && format.chunkSize >= kExtensibleBody &&
        chunk.size() >= kWavFormatChunkBytes &&
        std::equal(std::begin(kWavSubFormatTail), std::end(kWavSubFormatTail), body + 26))
        format.formatTag = LoadLittleEndian16(body + 24);
    return format;
}

} // namespace voice
