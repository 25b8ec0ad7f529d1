#include "conversion/wav/wav_header.h"

#include <iterator>

#include "conversion/wav/wav_format.h"

namespace voice {
namespace {

// Only the tags are constant; every number is stored on each write.
constexpr WavHeader kTemplate = {
    'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 0,   0,   0, 0, 0, 0,
    0,   0,   0,   0,   0, 0, 0, 0, 0,   0,   0,   0,   0,   0,   'd', 'a', 't', 'a', 0, 0, 0, 0};

constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 8;

void AppendTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

WavHeader MakePlaybackWavHeader(std::uint32_t riffSize, std::uint32_t dataSize) noexcept {
    WavHeader header = kTemplate;
    StoreLittleEndian32(&header[4], riffSize);
    StoreLittleEndian32(&header[16], 16); // format chunk size
    StoreLittleEndian16(&header[20], 1);  // PCM
    StoreLittleEndian16(&header[22], kChannels);
    StoreLittleEndian32(&header[24], kPlaybackSampleRate);
    StoreLittleEndian32(&header[28], kChannels * kPlaybackSampleRate * (kBitsPerSample / 8));
    StoreLittleEndian16(&header[32], kChannels * (kBitsPerSample / 8));
    StoreLittleEndian16(&header[34], kBitsPerSample);
    StoreLittleEndian32(&header[40], dataSize);
    return header;
}

WavHeader WavHeaderForSource(std::uint64_t sourceLength) noexcept {
    const auto length = static_cast<std::uint32_t>(sourceLength);
    return MakePlaybackWavHeader(length + 36, length);
}

WavHeader WavHeaderInPlace(std::uint64_t fileLength) noexcept {
    const auto length = static_cast<std::uint32_t>(fileLength);
    return MakePlaybackWavHeader(length - 8, length - static_cast<std::uint32_t>(kWavHeaderSize));
}

std::size_t Pcm16WavHeaderSize(bool extensible) noexcept {
    return extensible ? 68 : kWavHeaderSize;
}

std::vector<std::uint8_t> Pcm16WavHeader(int sampleRate, int channels, std::uint32_t dataBytes,
                                         std::uint32_t riffSize, bool extensible) {
    constexpr std::uint16_t kBits = 16;
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    const auto block = static_cast<std::uint16_t>(channels * kBits / 8);
    std::vector<std::uint8_t> h;
    h.reserve(Pcm16WavHeaderSize(extensible));
    AppendTag(h, "RIFF");
    AppendLittleEndian32(h, riffSize);
    AppendTag(h, "WAVE");
    AppendTag(h, "fmt ");
    AppendLittleEndian32(h, extensible ? 40 : 16);
    AppendLittleEndian16(h, extensible ? kWavExtensible : kWavPcm);
    AppendLittleEndian16(h, static_cast<std::uint16_t>(channels));
    AppendLittleEndian32(h, rate);
    AppendLittleEndian32(h, rate * block);
    AppendLittleEndian16(h, block);
    AppendLittleEndian16(h, kBits);
    if (extensible) {
        AppendLittleEndian16(h, 22);    // the extension's size
        AppendLittleEndian16(h, kBits); // valid bits
        AppendLittleEndian32(h, 0);     // channel mask
        AppendLittleEndian16(h, kWavPcm);
        h.insert(h.end(), std::begin(kWavSubFormatTail), std::end(kWavSubFormatTail));
    }
    AppendTag(h, "data");
    AppendLittleEndian32(h, dataBytes);
    return h;
}

} // namespace voice
