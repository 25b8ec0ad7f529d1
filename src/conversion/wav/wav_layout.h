#pragma once
// A WAV recording as the export takes it out: its format, its samples as far as the file
// holds them, and the whole chunks after them. A recorder cut off mid-write, a tool that
// never finalised its sizes (0xFFFFFFFF) or bytes left after the RIFF give sizes that
// claim what is not there; the export writes what is there, with sizes that match it.
// Portable.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "conversion/recording_converter.h"

namespace voice {

struct WavLayout {
    std::uint16_t formatTag = 0; // an extensible format's is its sub-format's
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bytesPerSecond = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint64_t dataOffset = 0;   // of the first sample byte
    std::uint32_t declaredData = 0; // the data chunk's size as stated
    std::uint32_t data = 0;         // the sample bytes the file holds of it
    std::uint64_t end = 0;          // the bytes kept: the data and the whole chunks after it
    std::uint64_t length = 0;       // of the file
    // "data" at 36 with a format chunk whose size says otherwise: set to 16.
    bool formatSizeFixed = false;

    // 8-bit mono 7860 Hz PCM: the playback file's own format.
    bool IsPlaybackFormat() const noexcept;
    // What was mended, for the index's status; empty when nothing was.
    std::wstring RepairNote() const;
    double Seconds() const noexcept {
        return bytesPerSecond ? static_cast<double>(data) / bytesPerSecond : 0.0;
    }
};

// The layout of a recording detection takes for a WAV file (every one has one); nullopt
// for a file too short to hold a format. The position afterwards is undefined.
std::optional<WavLayout> ReadWavLayout(RecordingReader& recording);

// A WAV recording copied as kept: its size fields say what it holds, and nothing past the
// layout's end goes on. The conversion copies a WAV as it stands; this stands between it
// and the file.
class KeptWavWriter final : public ConvertedWriter {
public:
    KeptWavWriter(ConvertedWriter& out, const WavLayout& layout) noexcept
        : out_(out), layout_(layout) {}
    void Append(std::span<const std::uint8_t> bytes) override;
    void RewriteHeader(std::span<const std::uint8_t> header) override {
        out_.RewriteHeader(header);
    }
    // After the conversion: the data chunk's header where the file ends inside it.
    void Complete();
    // Bytes passed on.
    std::uint64_t Written() const noexcept { return written_; }

private:
    ConvertedWriter& out_;
    const WavLayout& layout_;
    std::uint64_t position_ = 0; // in the recording
    std::uint64_t written_ = 0;
};

// Bytes of a WAV recording found at position, as kept: the size fields patched where they
// fall among them.
void PatchSizes(const WavLayout& layout, std::uint64_t position, std::span<std::uint8_t> bytes);

} // namespace voice
