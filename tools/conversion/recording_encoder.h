#pragma once
// Our encoder for every stored form of a recording, used to make test fixtures and the
// demo archive. Encoding 8-bit PCM into kinds 3 to 6 and decoding it back gives exactly
// the input. Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "conversion/recording_kind.h"

namespace voice {

using Bytes = std::vector<std::uint8_t>;

struct WavFormat {
    std::uint32_t sampleRate = 7860;
    std::uint16_t channels = 1;
    std::uint16_t bitsPerSample = 8;
};

// A canonical WAV file: 44-byte header ("data" at offset 36), then the data as given.
Bytes EncodeWav(std::span<const std::uint8_t> data, const WavFormat& format = {});

// The bytes that follow the signature of kinds 3 to 6 for the given 8-bit samples. Runs
// longer than one count allows are split into several.
Bytes EncodeSamples(RecordingKind kind, std::span<const std::uint8_t> samples);

// A whole recording of the given kind: kind 1 a WAV file (format as given), kind 2 the
// samples as they are, kinds 3 to 6 signature and encoded samples, kind 7 signature and
// the samples as an opaque payload.
Bytes EncodeRecording(RecordingKind kind, std::span<const std::uint8_t> samples,
                      const WavFormat& format = {});

// Decodes the bytes after the signature of kinds 3 to 6 with the program's decoders, fed
// in blocks of blockSize bytes (the whole input in one block when 0).
Bytes DecodeSamples(RecordingKind kind, std::span<const std::uint8_t> encoded,
                    std::size_t blockSize = 0);

// Samples with runs of equal values, as speech recorded at 8 bits gives them; the same
// for the same seed.
Bytes SoundWithRuns(std::size_t length, unsigned seed);

struct WavContents {
    WavFormat format;
    Bytes data; // the data chunk, cut short at the end of the file
};

// Reads a RIFF/WAVE file chunk by chunk; nullopt when it is not one or has no "fmt " or
// "data" chunk.
std::optional<WavContents> ParseWav(std::span<const std::uint8_t> file);

} // namespace voice
