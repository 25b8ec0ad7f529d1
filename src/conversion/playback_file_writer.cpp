#include "conversion/playback_file_writer.h"

#include <cstdint>

#include "conversion/recording_file.h"
#include "conversion/run_decoders.h"

namespace voice {
namespace {

constexpr DWORD kBlockSize = kConversionBlockSize;

HANDLE OpenRecording(const std::wstring& path) noexcept {
    return ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreatePlaybackFile(const std::wstring& path) noexcept {
    return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A recording may be briefly held by the recorder or a copier: one immediate retry.
template <typename Open> HANDLE OpenWithRetry(Open open) noexcept {
    HANDLE h = open();
    if (h == INVALID_HANDLE_VALUE)
        h = open();
    return h;
}

void WriteBytes(HANDLE file, const void* data, std::size_t size) noexcept {
    DWORD written = 0;
    ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
}

class FileSink final : public SampleSink {
public:
    explicit FileSink(HANDLE file) noexcept : file_(file) {}
    void WritePiece(std::span<const std::uint8_t> piece) override {
        WriteBytes(file_, piece.data(), piece.size());
    }

private:
    HANDLE file_;
};

bool UsesSignature(RecordingKind kind) noexcept {
    return kind >= RecordingKind::Inverted && kind <= RecordingKind::PlainRuns;
}
bool UsesRunDecoder(RecordingKind kind) noexcept {
    return kind >= RecordingKind::InvertedRuns && kind <= RecordingKind::PlainRuns;
}

// The block loop: the recording from its current position to its end (or to a failed
// read) through the output buffer into the playback file.
void WriteSamples(RecordingKind kind, HANDLE recording, HANDLE playback) {
    FileSink sink(playback);
    OutputBuffer out(sink);
    RunDecoder runs(UsesRunDecoder(kind) ? kind : RecordingKind::InvertedRuns, out);
    std::uint8_t block[kBlockSize];
    DWORD n = 0;
    do {
        if (!::ReadFile(recording, block, kBlockSize, &n, nullptr) || n == 0)
            break;
        const std::span<const std::uint8_t> bytes(block, n);
        if (kind == RecordingKind::Inverted)
            out.AppendInverted(bytes);
        else if (UsesRunDecoder(kind))
            runs.Feed(bytes);
        else
            out.Append(bytes);
    } while (n == kBlockSize);
    runs.Finish(); // flushes the output buffer
}

} // namespace

bool WritePlaybackFile(std::wstring_view listLine, const std::wstring& startDir,
                       FileHandleField& recordingHandle, FileHandleField& playbackHandle) {
    const std::wstring recordingPath = RecordingPathOfListLine(listLine);
    CloseFileHandle(recordingHandle);
    recordingHandle.StoreOpenResult(OpenWithRetry([&] { return OpenRecording(recordingPath); }));
    const std::wstring playbackPath = PlaybackFilePath(startDir);
    CloseFileHandle(playbackHandle);
    playbackHandle.StoreOpenResult(OpenWithRetry([&] { return CreatePlaybackFile(playbackPath); }));
    if (!recordingHandle.IsOpen() || !playbackHandle.IsOpen())
        return false;

    const HANDLE recording = recordingHandle.Get();
    const HANDLE playback = playbackHandle.Get();
    const RecordingKind kind = DetectRecordingKind(recording);
    if (kind == RecordingKind::Wav) {
        LARGE_INTEGER start{};
        ::SetFilePointerEx(recording, start, nullptr, FILE_BEGIN);
    } else if (kind == RecordingKind::HeaderlessPcm || UsesSignature(kind)) {
        WriteWavHeader(recording, playback);
        if (UsesSignature(kind)) {
            LARGE_INTEGER past{};
            past.QuadPart = kSignatureSize;
            ::SetFilePointerEx(recording, past, nullptr, FILE_CURRENT);
        }
    }
    // Kind 7 has no decoder: its playback file stays empty.
    if (kind != RecordingKind::Undecodable)
        WriteSamples(kind, recording, playback);
    if (UsesSignature(kind))
        WriteWavHeader(playback, playback);

    CloseFileHandle(playbackHandle);
    CloseFileHandle(recordingHandle);
    return true;
}

} // namespace voice
