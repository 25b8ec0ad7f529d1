#include "conversion/playback_samples.h"

#include "conversion/recording_kind.h"
#include "conversion/wav_header.h"
#include "review/review_pipeline.h"

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

class MemoryBytes final : public RecordingBytes {
public:
    explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
        if (offset >= bytes_.size())
            return 0;
        const std::size_t n = std::min<std::size_t>(into.size(), bytes_.size() - offset);
        std::memcpy(into.data(), bytes_.data() + offset, n);
        return n;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

struct Layout {
    std::uint16_t format, channels, bits;
    std::uint32_t rate;
};

std::optional<Layout> ReadLayout(std::span<const std::uint8_t> file) {
    if (file.size() < kFmtBody + 16)
        return std::nullopt;
    const std::uint8_t* fmt = file.data() + kFmtBody;
    Layout layout{Le16(fmt), Le16(fmt + 2), Le16(fmt + 14), Le32(fmt + 4)};
    // The extensible layout names its real format in the first two bytes of its GUID.
    const std::uint32_t fmtSize = Le32(file.data() + 16);
    if (layout.format == kExtensible && fmtSize >= 40 && file.size() >= kFmtBody + 26)
        layout.format = Le16(fmt + 24);
    const bool integer = layout.format == kPcm && (layout.bits == 8 || layout.bits == 16 ||
                                                   layout.bits == 24 || layout.bits == 32);
    const bool floating = layout.format == kFloat && layout.bits == 32;
    if ((!integer && !floating) || layout.channels == 0 || layout.rate == 0 ||
        layout.rate > 1'000'000)
        return std::nullopt;
    return layout;
}

float SampleAt(const std::uint8_t* at, const Layout& layout) {
    switch (layout.bits) {
    case 8:
        return (static_cast<float>(at[0]) - 128.0f) / 128.0f;
    case 16:
        return static_cast<float>(static_cast<std::int16_t>(Le16(at))) / 32768.0f;
    case 24: {
        const std::int32_t v = static_cast<std::int32_t>(Le32(at) << 8) >> 8; // 3 bytes
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

} // namespace

std::optional<PlaybackSamples> PlaybackSamplesOfWav(std::span<const std::uint8_t> file) {
    MemoryBytes bytes(file);
    if (DetectRecordingKind(bytes) != RecordingKind::Wav)
        return std::nullopt;
    const auto data = FindWavDataChunk(bytes);
    const auto layout = ReadLayout(file);
    if (!data || !layout)
        return std::nullopt;
    const std::size_t start =
        static_cast<std::size_t>(std::min<std::uint64_t>(data->offset, file.size()));
    const std::size_t size = std::min<std::size_t>(data->size, file.size() - start);
    const std::span<const std::uint8_t> body = file.subspan(start, size);

    PlaybackSamples result;
    result.sampleRate = static_cast<int>(layout->rate);
    if (layout->channels == 1 && layout->bits == 8) {
        result.samples = review::SamplesFromU8(body);
        return result;
    }
    const std::size_t width = layout->bits / 8u;
    const std::size_t frame = width * layout->channels;
    const std::size_t frames = body.size() / frame;
    result.samples.resize(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        const std::uint8_t* at = body.data() + f * frame;
        float sum = 0;
        for (std::size_t c = 0; c < layout->channels; ++c)
            sum += SampleAt(at + c * width, *layout);
        result.samples[f] = sum / static_cast<float>(layout->channels);
    }
    return result;
}

std::vector<std::uint8_t> Mono16WavHeader(int sampleRate, std::uint32_t dataBytes) {
    std::vector<std::uint8_t> h(kWavHeaderSize);
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    std::memcpy(h.data(), "RIFF", 4);
    StoreLittleEndian32(&h[4], dataBytes + 36);
    std::memcpy(&h[8], "WAVEfmt ", 8);
    StoreLittleEndian32(&h[16], 16);
    StoreLittleEndian16(&h[20], kPcm);
    StoreLittleEndian16(&h[22], 1);
    StoreLittleEndian32(&h[24], rate);
    StoreLittleEndian32(&h[28], rate * 2);
    StoreLittleEndian16(&h[32], 2);
    StoreLittleEndian16(&h[34], 16);
    std::memcpy(&h[36], "data", 4);
    StoreLittleEndian32(&h[40], dataBytes);
    return h;
}

} // namespace voice
