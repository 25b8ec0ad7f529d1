#include "conversion/playback_file_writer.h"

#include <cstdint>

#include "conversion/recording_file.h"
#include "conversion/run_decoders.h"
#include "conversion/wav_header.h"
#include "platform/file_attributes.h"

namespace voice {
namespace {

constexpr DWORD kBlockSize = kConversionBlockSize;
// The header's sizes are 32-bit: a longer playback file would wrap them and the player
// would take a few bytes for the whole recording.
constexpr std::uint64_t kMaxPlaybackLength = 0xFFFF'FFFF;

HANDLE OpenRecording(const std::wstring& path) noexcept {
    return ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreatePlaybackFile(const std::wstring& path) noexcept {
    // A read-only "$$$.Wav" is the user's, not ours to replace.
    if (IsReadOnlyFile(path))
        return INVALID_HANDLE_VALUE;
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

std::uint64_t FileLength(HANDLE file) noexcept {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

// Writes each piece as it comes (results unexamined) and counts what was handed over, so
// that a short file can be told from a complete one afterwards. Nothing is written past
// the header's limit.
class FileSink final : public SampleSink {
public:
    FileSink(HANDLE file, std::uint64_t limit) noexcept : file_(file), limit_(limit) {}
    void WritePiece(std::span<const std::uint8_t> piece) override {
        if (overLimit_ || piece.size() > limit_ - handedOver_) {
            overLimit_ = true;
            return;
        }
        handedOver_ += piece.size();
        DWORD written = 0;
        ::WriteFile(file_, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr);
    }
    bool OverLimit() const noexcept { return overLimit_; }
    std::uint64_t HandedOver() const noexcept { return handedOver_; }

private:
    HANDLE file_;
    std::uint64_t limit_;
    std::uint64_t handedOver_ = 0;
    bool overLimit_ = false;
};

bool UsesSignature(RecordingKind kind) noexcept {
    return kind >= RecordingKind::Inverted && kind <= RecordingKind::PlainRuns;
}
bool UsesRunDecoder(RecordingKind kind) noexcept {
    return kind >= RecordingKind::InvertedRuns && kind <= RecordingKind::PlainRuns;
}

// The block loop: the recording from its current position to its end (or to a failed
// read) through the output buffer into the playback file.
void WriteSamples(RecordingKind kind, HANDLE recording, FileSink& sink) {
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

// Empties the playback file, so that a full disk gets its space back, and closes both
// files; the player is not asked to open a file that would play something else.
bool RefuseConversion(FileHandleField& recordingHandle, FileHandleField& playbackHandle) {
    LARGE_INTEGER start{};
    ::SetFilePointerEx(playbackHandle.Get(), start, nullptr, FILE_BEGIN);
    ::SetEndOfFile(playbackHandle.Get());
    CloseFileHandle(playbackHandle);
    CloseFileHandle(recordingHandle);
    return false;
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
    if (FileLength(recording) > kMaxPlaybackLength - kWavHeaderSize)
        return RefuseConversion(recordingHandle, playbackHandle);
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
    const std::uint64_t headerLength =
        kind == RecordingKind::Wav || kind == RecordingKind::Undecodable ? 0 : kWavHeaderSize;
    FileSink sink(playback, kMaxPlaybackLength - headerLength);
    // Kind 7 has no decoder: its playback file stays empty.
    if (kind != RecordingKind::Undecodable)
        WriteSamples(kind, recording, sink);
    // A write that came short (a full disk) leaves the file shorter than what was handed
    // over; playing it would pass a cut recording off as the whole one.
    if (sink.OverLimit() || FileLength(playback) != headerLength + sink.HandedOver())
        return RefuseConversion(recordingHandle, playbackHandle);
    if (UsesSignature(kind))
        WriteWavHeader(playback, playback);

    CloseFileHandle(playbackHandle);
    CloseFileHandle(recordingHandle);
    return true;
}

} // namespace voice
