#include "recording_encoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

#include "conversion/byte_transforms.h"
#include "conversion/run_decoders.h"
#include "conversion/wav/wav_header.h"

namespace voice {
namespace {

constexpr ByteTable Inverse(const ByteTable& table) {
    ByteTable inverse{};
    for (unsigned b = 0; b < 256; ++b)
        inverse[table[b]] = static_cast<std::uint8_t>(b);
    return inverse;
}

constexpr ByteTable kStoreInvertedSample = Inverse(kInvertedSample);
constexpr ByteTable kStoreInvertedCount = Inverse(kInvertedCount);
constexpr ByteTable kStoreSwappedSample = Inverse(kSwappedSample);

constexpr std::size_t kMaxMarkerRun = 255; // kind-4 count byte
constexpr std::size_t kMaxHeaderRun = 127; // kind-5/6 header holds the count in 7 bits

// Calls f(value, length) for each maximal run of equal samples.
template <typename F> void ForEachRun(std::span<const std::uint8_t> samples, F f) {
    std::size_t i = 0;
    while (i < samples.size()) {
        std::size_t j = i + 1;
        while (j < samples.size() && samples[j] == samples[i])
            ++j;
        f(samples[i], j - i);
        i = j;
    }
}

// Kind 4: even samples stand alone; odd samples can only be stored as a marker with a
// count byte, so every run of an odd value becomes markers.
void EncodeMarkerRuns(std::span<const std::uint8_t> samples, Bytes& out) {
    ForEachRun(samples, [&](std::uint8_t value, std::size_t length) {
        if ((value & 1) == 0) {
            out.insert(out.end(), length, kStoreInvertedSample[value]);
            return;
        }
        while (length > 0) {
            const std::size_t run = std::min(length, kMaxMarkerRun);
            out.push_back(kStoreInvertedSample[value]);
            out.push_back(kStoreInvertedCount[run]);
            length -= run;
        }
    });
}

// Kinds 5 and 6: odd samples and runs of three or more become header/value pairs; an
// even sample, or two alike, stand alone (a pair costs two bytes either way and plain
// bytes decode faster).
void EncodeHeaderRuns(std::span<const std::uint8_t> samples, const ByteTable& store, Bytes& out) {
    ForEachRun(samples, [&](std::uint8_t value, std::size_t length) {
        while (length > 0) {
            const std::size_t run = std::min(length, kMaxHeaderRun);
            if (run <= 2 && (value & 1) == 0) {
                out.insert(out.end(), run, store[value]);
            } else {
                out.push_back(store[static_cast<std::uint8_t>(run * 2 + 1)]);
                out.push_back(store[value]);
            }
            length -= run;
        }
    });
}

class VectorSink final : public SampleSink {
public:
    explicit VectorSink(Bytes& out) : out_(out) {}
    void WritePiece(std::span<const std::uint8_t> piece) override {
        out_.insert(out_.end(), piece.begin(), piece.end());
    }

private:
    Bytes& out_;
};

} // namespace

Bytes EncodeWav(std::span<const std::uint8_t> data, const WavFormat& format) {
    Bytes file(kWavHeaderSize + data.size());
    const auto size = static_cast<std::uint32_t>(data.size());
    const std::uint16_t blockAlign = format.channels * ((format.bitsPerSample + 7) / 8);
    std::memcpy(&file[0], "RIFF", 4);
    StoreLittleEndian32(&file[4], size + 36);
    std::memcpy(&file[8], "WAVEfmt ", 8);
    StoreLittleEndian32(&file[16], 16);
    StoreLittleEndian16(&file[20], 1);
    StoreLittleEndian16(&file[22], format.channels);
    StoreLittleEndian32(&file[24], format.sampleRate);
    StoreLittleEndian32(&file[28], format.sampleRate * blockAlign);
    StoreLittleEndian16(&file[32], blockAlign);
    StoreLittleEndian16(&file[34], format.bitsPerSample);
    std::memcpy(&file[36], "data", 4);
    StoreLittleEndian32(&file[40], size);
    std::copy(data.begin(), data.end(), file.begin() + kWavHeaderSize);
    return file;
}

Bytes EncodeSamples(RecordingKind kind, std::span<const std::uint8_t> samples) {
    Bytes out;
    out.reserve(samples.size() + samples.size() / 2);
    switch (kind) {
    case RecordingKind::Inverted:
        for (auto s : samples)
            out.push_back(kStoreInvertedSample[s]);
        break;
    case RecordingKind::InvertedRuns:
        EncodeMarkerRuns(samples, out);
        break;
    case RecordingKind::SwappedRuns:
        EncodeHeaderRuns(samples, kStoreSwappedSample, out);
        break;
    case RecordingKind::PlainRuns:
        EncodeHeaderRuns(samples, kPlainSample, out);
        break;
    default:
        out.assign(samples.begin(), samples.end());
        break;
    }
    return out;
}

Bytes EncodeRecording(RecordingKind kind, std::span<const std::uint8_t> samples,
                      const WavFormat& format) {
    if (kind == RecordingKind::Wav)
        return EncodeWav(samples, format);
    const Signature* signature = SignatureOf(kind);
    if (signature == nullptr)
        return Bytes(samples.begin(), samples.end());
    Bytes file(signature->begin(), signature->end());
    const Bytes body = EncodeSamples(kind, samples);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes DecodeSamples(RecordingKind kind, std::span<const std::uint8_t> encoded,
                    std::size_t blockSize) {
    if (blockSize == 0)
        blockSize = std::max<std::size_t>(encoded.size(), 1);
    Bytes out;
    VectorSink sink(out);
    auto buffer = std::make_unique<OutputBuffer>(sink); // too large for a small stack
    RunDecoder decoder(kind, *buffer);
    for (std::size_t at = 0; at < encoded.size(); at += blockSize) {
        const auto block = encoded.subspan(at, std::min(blockSize, encoded.size() - at));
        if (kind == RecordingKind::Inverted)
            buffer->AppendInverted(block);
        else
            decoder.Feed(block);
    }
    decoder.Finish();
    return out;
}

std::optional<WavContents> ParseWav(std::span<const std::uint8_t> file) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    std::optional<WavFormat> format;
    std::size_t at = 12;
    while (file.size() - at >= 8) {
        const std::uint8_t* chunk = file.data() + at;
        const std::uint32_t size = LoadLittleEndian32(chunk + 4);
        const std::size_t available = file.size() - at - 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && available >= 16) {
            format = WavFormat{LoadLittleEndian32(chunk + 12), LoadLittleEndian16(chunk + 10),
                               LoadLittleEndian16(chunk + 22)};
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!format)
                return std::nullopt;
            const std::size_t length = std::min<std::size_t>(size, available);
            return WavContents{*format, Bytes(chunk + 8, chunk + 8 + length)};
        }
        if (size >= available)
            break;
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

Bytes SoundWithRuns(std::size_t length, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes samples;
    while (samples.size() < length) {
        const std::size_t run = rng() % 3 == 0 ? rng() % 500 : 1;
        samples.insert(samples.end(), std::min(run, length - samples.size()),
                       static_cast<std::uint8_t>(rng()));
    }
    return samples;
}

} // namespace voice
