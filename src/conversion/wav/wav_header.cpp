#include "conversion/wav/wav_header.h"

namespace voice {
namespace {

// Only the tags are constant; every number is stored on each write.
constexpr WavHeader kTemplate = {
    'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 0,   0,   0, 0, 0, 0,
    0,   0,   0,   0,   0, 0, 0, 0, 0,   0,   0,   0,   0,   0,   'd', 'a', 't', 'a', 0, 0, 0, 0};

constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 8;

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

} // namespace voice
