#include "conversion/playback_file_writer.h"

#include <cstdint>

#include "conversion/recording_converter.h"

namespace voice {
namespace {

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

// Results of writes and seeks on the playback file are not examined.
class HandleWriter final : public ConvertedWriter {
public:
    explicit HandleWriter(HANDLE file) noexcept : file_(file) {}
    void Append(std::span<const std::uint8_t> bytes) override {
        DWORD written = 0;
        ::WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    void RewriteHeader(std::span<const std::uint8_t> header) override {
        LARGE_INTEGER start{};
        ::SetFilePointerEx(file_, start, nullptr, FILE_BEGIN);
        Append(header);
    }

private:
    HANDLE file_;
};

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

    HandleReader recording(recordingHandle.Get());
    HandleWriter playback(playbackHandle.Get());
    ConvertRecording(recording, playback);

    CloseFileHandle(playbackHandle);
    CloseFileHandle(recordingHandle);
    return true;
}

} // namespace voice
