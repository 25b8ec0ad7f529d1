#include "export/recording_duration.h"

#include <algorithm>
#include <cwchar>

#include "conversion/wav/source_recording.h"
#include "conversion/wav/wav_header.h"
#include "conversion/wav/wav_layout.h"

namespace voice::exporting {
namespace {

class CountingWriter final : public ConvertedWriter {
public:
    void Append(std::span<const std::uint8_t>) override {}
    void RewriteHeader(std::span<const std::uint8_t>) override {}
};

} // namespace

std::optional<double> PlaybackSeconds(const std::filesystem::path& path) {
    SourceRecording source{path};
    if (!source.IsOpen())
        return std::nullopt;
    const std::uint64_t length = source.Length();
    std::optional<double> seconds;
    switch (DetectKind(source)) {
    case RecordingKind::Undecodable:
        return std::nullopt;
    case RecordingKind::Wav: {
        // What the export keeps of it, a damaged one included.
        const std::optional<WavLayout> layout = ReadWavLayout(source);
        if (!layout)
            return std::nullopt;
        seconds = layout->Seconds();
        break;
    }
    case RecordingKind::HeaderlessPcm:
        seconds = static_cast<double>(length) / kPlaybackSampleRate;
        break;
    case RecordingKind::Inverted:
        seconds = static_cast<double>(length > kSignatureSize ? length - kSignatureSize : 0) /
                  kPlaybackSampleRate;
        break;
    default: {
        CountingWriter counter;
        const ConversionResult converted = ConvertRecording(source, counter);
        seconds =
            static_cast<double>(converted.bytesWritten - kWavHeaderSize) / kPlaybackSampleRate;
        break;
    }
    }
    if (source.Failed())
        return std::nullopt;
    return seconds;
}

bool ExportedWavFits(const std::filesystem::path& path, std::uint64_t trailingBytes) {
    constexpr std::uint64_t kLargestRiff = 0xFFFFFFFFull;
    constexpr std::uint64_t kLargestRunRatio = 255;
    // What cannot be read as a file is reported by the export's own read, with its reason.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return true;
    SourceRecording source{path};
    if (!source.IsOpen())
        return true;
    const std::uint64_t length = source.Length();
    std::uint64_t playback = 0;
    switch (DetectKind(source)) {
    case RecordingKind::Undecodable:
        return true; // nothing is written
    case RecordingKind::Wav:
        playback = length;
        break;
    case RecordingKind::HeaderlessPcm:
        playback = kWavHeaderSize + length;
        break;
    case RecordingKind::Inverted:
        playback = kWavHeaderSize + (length > kSignatureSize ? length - kSignatureSize : 0);
        break;
    default: {
        if (length <= (kLargestRiff - kWavHeaderSize) / kLargestRunRatio) {
            playback = kWavHeaderSize + length * kLargestRunRatio;
            if (playback + 1 + trailingBytes - 8 <= kLargestRiff)
                return true;
        }
        CountingWriter counter;
        playback = ConvertRecording(source, counter).bytesWritten;
        break;
    }
    }
    return playback + playback % 2 + trailingBytes - 8 <= kLargestRiff;
}

std::wstring FormatSeconds(double seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.3f", seconds);
    return text;
}

} // namespace voice::exporting
