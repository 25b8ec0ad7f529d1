#include "conversion/playback_file_writer.h"

#include <cstdint>

#include "catalogue/list_line.h"
#include "conversion/recording_converter.h"
#include "conversion/wav/wav_header.h"
#include "platform/file_attributes.h"

namespace voice {
namespace {

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

class HandleReader final : public RecordingReader {
public:
    explicit HandleReader(HANDLE file) noexcept : file_(file) {}
    std::size_t Read(std::span<std::uint8_t> into) override {
        DWORD n = 0;
        if (!::ReadFile(file_, into.data(), static_cast<DWORD>(into.size()), &n, nullptr))
            return 0;
        return n;
    }
    void Seek(std::uint64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        ::SetFilePointerEx(file_, to, nullptr, FILE_BEGIN);
    }
    std::uint64_t Length() override {
        LARGE_INTEGER size{};
        ::GetFileSizeEx(file_, &size);
        return static_cast<std::uint64_t>(size.QuadPart);
    }

private:
    HANDLE file_;
};

std::uint64_t FileLength(HANDLE file) noexcept {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

// Results of writes and seeks on the playback file are not examined one by one: the
// file's length is compared with what was appended afterwards. Nothing is written past
// the header's limit.
class HandleWriter final : public ConvertedWriter {
public:
    explicit HandleWriter(HANDLE file) noexcept : file_(file) {}
    void Append(std::span<const std::uint8_t> bytes) override {
        if (overLimit_ || bytes.size() > kMaxPlaybackLength - appended_) {
            overLimit_ = true;
            return;
        }
        appended_ += bytes.size();
        Write(bytes);
    }
    void RewriteHeader(std::span<const std::uint8_t> header) override {
        LARGE_INTEGER start{};
        ::SetFilePointerEx(file_, start, nullptr, FILE_BEGIN);
        Write(header);
    }
    bool OverLimit() const noexcept { return overLimit_; }
    std::uint64_t Appended() const noexcept { return appended_; }

private:
    void Write(std::span<const std::uint8_t> bytes) {
        DWORD written = 0;
        ::WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    HANDLE file_;
    std::uint64_t appended_ = 0;
    bool overLimit_ = false;
};

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
                       FileHandleField& recordingHandle, FileHandleField& playbackHandle,
                       const PlaybackConversion& convert) {
    const std::wstring recordingPath(ListLinePath(listLine));
    CloseFileHandle(recordingHandle);
    recordingHandle.StoreOpenResult(OpenWithRetry([&] { return OpenRecording(recordingPath); }));
    const std::wstring playbackPath = PlaybackFilePath(startDir);
    CloseFileHandle(playbackHandle);
    playbackHandle.StoreOpenResult(OpenWithRetry([&] { return CreatePlaybackFile(playbackPath); }));
    if (!recordingHandle.IsOpen() || !playbackHandle.IsOpen())
        return false;

    if (FileLength(recordingHandle.Get()) > kMaxPlaybackLength - kWavHeaderSize)
        return RefuseConversion(recordingHandle, playbackHandle);
    HandleReader recording(recordingHandle.Get());
    HandleWriter playback(playbackHandle.Get());
    if (convert)
        convert(recording, playback);
    else
        ConvertRecording(recording, playback);
    // A write that came short (a full disk) leaves the file shorter than what was handed
    // over; playing it would pass a cut recording off as the whole one.
    if (playback.OverLimit() || FileLength(playbackHandle.Get()) != playback.Appended())
        return RefuseConversion(recordingHandle, playbackHandle);

    CloseFileHandle(playbackHandle);
    CloseFileHandle(recordingHandle);
    return true;
}

} // namespace voice
