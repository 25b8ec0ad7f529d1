#include "conversion/playback_samples.h"

#include "conversion/recording_kind.h"
#include "conversion/wav_header.h"

#include <algorithm>
#include <cstring>

namespace voice {
namespace {

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kFloat = 3;
constexpr std::uint16_t kExtensible = 0xFFFE;
// The "fmt " chunk stands at offset 12 in every file detection takes for WAV.
constexpr std::size_t kFmtBody = 20;

std::uint16_t Le16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t Le32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The "fmt " body as far as the extensible layout's format GUID.
constexpr std::size_t kHeadSize = kFmtBody + 26;
// Raw bytes decoded at a time: a long stretch of a wide layout never doubles in memory.
constexpr std::size_t kPieceBytes = 1 << 20;

bool ReadLayout(std::span<const std::uint8_t> head, PlaybackLayout& layout) {
    if (head.size() < kFmtBody + 16)
        return false;
    const std::uint8_t* fmt = head.data() + kFmtBody;
    layout.format = Le16(fmt);
    layout.channels = Le16(fmt + 2);
    layout.bits = Le16(fmt + 14);
    const std::uint32_t rate = Le32(fmt + 4);
    // The extensible layout names its real format in the first two bytes of its GUID.
    const std::uint32_t fmtSize = Le32(head.data() + 16);
    if (layout.format == kExtensible && fmtSize >= 40 && head.size() >= kHeadSize)
        layout.format = Le16(fmt + 24);
    const bool integer = layout.format == kPcm && (layout.bits == 8 || layout.bits == 16 ||
                                                   layout.bits == 24 || layout.bits == 32);
    const bool floating = layout.format == kFloat && layout.bits == 32;
    if ((!integer && !floating) || layout.channels == 0 || rate == 0 || rate > 1'000'000)
        return false;
    layout.sampleRate = static_cast<int>(rate);
    return true;
}

float SampleAt(const std::uint8_t* at, const PlaybackLayout& layout) {
    switch (layout.bits) {
    case 8:
        return (static_cast<float>(at[0]) - 128.0f) / 128.0f;
    case 16:
        return static_cast<float>(static_cast<std::int16_t>(Le16(at))) / 32768.0f;
    case 24: {
        const auto bytes = static_cast<std::uint32_t>(at[0] | at[1] << 8 | at[2] << 16);
        const std::int32_t v = static_cast<std::int32_t>(bytes << 8) >> 8;
        return static_cast<float>(v) / 8388608.0f;
    }
    default:
        if (layout.format == kFloat) {
            float v;
            std::memcpy(&v, at, 4);
            return std::clamp(v, -1.0f, 1.0f);
        }
        return static_cast<float>(static_cast<std::int32_t>(Le32(at)) / 2147483648.0);
    }
}

std::size_t FrameBytes(const PlaybackLayout& layout) {
    return std::size_t{layout.bits / 8u} * layout.channels;
}

void DecodeFrames(std::span<const std::uint8_t> raw, const PlaybackLayout& layout, float* out) {
    if (layout.channels == 1 && layout.bits == 8) {
        for (std::size_t i = 0; i < raw.size(); ++i) // as SamplesFromU8, without a copy
            out[i] = static_cast<float>(static_cast<int>(raw[i]) - 128) * (1.0f / 128.0f);
        return;
    }
    const std::size_t width = layout.bits / 8u;
    const std::size_t frame = FrameBytes(layout);
    for (std::size_t f = 0; f < raw.size() / frame; ++f) {
        const std::uint8_t* at = raw.data() + f * frame;
        float sum = 0;
        for (std::size_t c = 0; c < layout.channels; ++c)
            sum += SampleAt(at + c * width, layout);
        out[f] = sum / static_cast<float>(layout.channels);
    }
}

} // namespace

std::optional<PlaybackLayout> PlaybackLayoutOf(RecordingBytes& file, std::uint64_t fileSize) {
    if (DetectRecordingKind(file) != RecordingKind::Wav)
        return std::nullopt;
    const auto data = FindWavDataChunk(file);
    std::uint8_t head[kHeadSize];
    const std::size_t got = file.ReadAt(0, head);
    PlaybackLayout layout;
    if (!data || !ReadLayout(std::span(head, got), layout))
        return std::nullopt;
    layout.dataOffset = std::min<std::uint64_t>(data->offset, fileSize);
    const std::uint64_t size = std::min<std::uint64_t>(data->size, fileSize - layout.dataOffset);
    layout.frames = size / FrameBytes(layout);
    return layout;
}

std::vector<float> ReadPlaybackFrames(RecordingBytes& file, const PlaybackLayout& layout,
                                      std::uint64_t first, std::uint64_t count) {
    first = std::min(first, layout.frames);
    count = std::min(count, layout.frames - first);
    const std::size_t frame = FrameBytes(layout);
    const std::size_t piece = std::max<std::size_t>(1, kPieceBytes / frame) * frame;
    std::vector<float> samples(static_cast<std::size_t>(count));
    std::vector<std::uint8_t> raw(std::min<std::uint64_t>(piece, count * frame));
    std::uint64_t offset = layout.dataOffset + first * frame;
    std::size_t done = 0;
    while (done < samples.size()) {
        const std::size_t want = std::min(raw.size(), (samples.size() - done) * frame);
        const std::size_t got = file.ReadAt(offset, std::span(raw).first(want));
        DecodeFrames(std::span(raw).first(got - got % frame), layout, samples.data() + done);
        done += got / frame;
        offset += got;
        if (got < want)
            break;
    }
    samples.resize(done);
    return samples;
}

std::optional<PlaybackSamples> PlaybackSamplesOfWav(std::span<const std::uint8_t> file) {
    MemoryBytes bytes(file);
    const auto layout = PlaybackLayoutOf(bytes, file.size());
    if (!layout)
        return std::nullopt;
    return PlaybackSamples{layout->sampleRate,
                           ReadPlaybackFrames(bytes, *layout, 0, layout->frames)};
}

std::vector<std::uint8_t> Mono16WavHeader(int sampleRate, std::uint32_t dataBytes) {
    return Pcm16WavHeader(sampleRate, 1, dataBytes);
}

std::vector<std::uint8_t> Pcm16WavHeader(int sampleRate, int channels, std::uint32_t dataBytes) {
    std::vector<std::uint8_t> h(kWavHeaderSize);
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    std::memcpy(h.data(), "RIFF", 4);
    StoreLittleEndian32(&h[4], dataBytes + 36);
    std::memcpy(&h[8], "WAVEfmt ", 8);
    StoreLittleEndian32(&h[16], 16);
    StoreLittleEndian16(&h[20], kPcm);
    const auto block = static_cast<std::uint16_t>(2 * channels);
    StoreLittleEndian16(&h[22], static_cast<std::uint16_t>(channels));
    StoreLittleEndian32(&h[24], rate);
    StoreLittleEndian32(&h[28], rate * block);
    StoreLittleEndian16(&h[32], block);
    StoreLittleEndian16(&h[34], 16);
    std::memcpy(&h[36], "data", 4);
    StoreLittleEndian32(&h[40], dataBytes);
    return h;
}

} // namespace voice
