#include "conversion/playback_samples.h"

#include "conversion/recording_kind.h"
#include "conversion/wav/wav_format.h"

#include <algorithm>
#include <cstring>

namespace voice {
namespace {

// Raw bytes decoded at a time: a long stretch of a wide layout never doubles in memory.
constexpr std::size_t kPieceBytes = 1 << 20;

bool ReadLayout(std::span<const std::uint8_t> head, PlaybackLayout& layout) {
    const auto format = ParseWavFormat(head.subspan(std::min<std::size_t>(
        head.size(), static_cast<std::size_t>(kWavFormatChunkOffset))));
    if (!format || !format->Decodable())
        return false;
    layout.format = format->formatTag;
    layout.channels = format->channels;
    layout.bits = format->bitsPerSample;
    layout.sampleRate = static_cast<int>(format->sampleRate);
    return true;
}

float SampleAt(const std::uint8_t* at, const PlaybackLayout& layout) {
    switch (layout.bits) {
    case 8:
        return (static_cast<float>(at[0]) - 128.0f) / 128.0f;
    case 16:
        return static_cast<float>(static_cast<std::int16_t>(LoadLittleEndian16(at))) / 32768.0f;
    case 24: {
        const auto bytes = static_cast<std::uint32_t>(at[0] | at[1] << 8 | at[2] << 16);
        const std::int32_t v = static_cast<std::int32_t>(bytes << 8) >> 8;
        return static_cast<float>(v) / 8388608.0f;
    }
    default:
        if (layout.format == kWavFloat) {
            float v;
            std::memcpy(&v, at, 4);
            return std::clamp(v, -1.0f, 1.0f);
        }
        return static_cast<float>(static_cast<std::int32_t>(LoadLittleEndian32(at)) / 2147483648.0);
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
    std::uint8_t head[kWavFormatChunkOffset + kWavFormatChunkBytes];
    const std::size_t got = file.ReadAt(0, head);
    PlaybackLayout layout;
    if (!data || !ReadLayout(std::span(head, got), layout))
        return std::nullopt;
    layout.dataOffset = std::min<std::uint64_t>(data->offset, fileSize);
    const std::uint64_t size = std::min<std::uint64_t>(data->size, fileSize - layout.dataOffset);
    layout.frames = size / FrameBytes(layout);
    return layout;
}

std::size_t ReadPlaybackFrames(RecordingBytes& file, const PlaybackLayout& layout,
                               std::uint64_t first, std::span<float> into,
                               std::vector<std::uint8_t>& raw) {
    first = std::min(first, layout.frames);
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), layout.frames - first));
    const std::size_t frame = FrameBytes(layout);
    const std::size_t piece = std::max<std::size_t>(1, kPieceBytes / frame) * frame;
    const std::size_t need = std::min(piece, count * frame);
    if (raw.size() < need)
        raw.resize(need);
    std::uint64_t offset = layout.dataOffset + first * frame;
    std::size_t done = 0;
    while (done < count) {
        const std::size_t want = std::min(need, (count - done) * frame);
        const std::size_t got = file.ReadAt(offset, std::span(raw).first(want));
        DecodeFrames(std::span(raw).first(got - got % frame), layout, into.data() + done);
        done += got / frame;
        offset += got;
        if (got < want)
            break;
    }
    return done;
}

std::vector<float> ReadPlaybackFrames(RecordingBytes& file, const PlaybackLayout& layout,
                                      std::uint64_t first, std::uint64_t count) {
    first = std::min(first, layout.frames);
    std::vector<float> samples(static_cast<std::size_t>(std::min(count, layout.frames - first)));
    std::vector<std::uint8_t> raw;
    samples.resize(ReadPlaybackFrames(file, layout, first, std::span(samples), raw));
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

} // namespace voice
