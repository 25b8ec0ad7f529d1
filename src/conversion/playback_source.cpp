#include "conversion/playback_source.h"

#include "conversion/wav/wav_header.h"
#include "platform/unique_handle.h"
#include "platform/user_files.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace voice {
namespace {

FileHandle OpenForReading(const std::wstring& path) {
    // The player may hold the designed file open: share what it might be doing.
    return FileHandle(::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::uint64_t SizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

class HandleBytes final : public RecordingBytes {
public:
    explicit HandleBytes(HANDLE file) : file_(file) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!::ReadFile(file_, into.data(), static_cast<DWORD>(into.size()), &read, &at))
            return 0;
        return read;
    }

private:
    HANDLE file_;
};

std::uint64_t Frames(double seconds, int rate) {
    if (!(seconds > 0))
        return 0;
    const double frames = std::round(seconds * rate);
    return frames >= 1e18 ? UINT64_MAX : static_cast<std::uint64_t>(frames);
}

} // namespace

std::wstring PlaybackSourcePath() {
    return (UserRecordsFolder() /
            (L"playback-" + std::to_wstring(::GetCurrentProcessId()) + L".wav"))
        .wstring();
}

bool PlaybackSource::Take(const std::wstring& playbackPath) {
    Reset();
    FileHandle file = OpenForReading(playbackPath);
    if (!file)
        return false;
    HandleBytes bytes(file.Get());
    layout_ = PlaybackLayoutOf(bytes, SizeOf(file.Get()));
    if (layout_)
        path_ = playbackPath;
    return Held();
}

bool PlaybackSource::Take(std::vector<std::uint8_t> designedFile) {
    Reset();
    MemoryBytes bytes(designedFile);
    layout_ = PlaybackLayoutOf(bytes, designedFile.size());
    if (layout_) {
        memory_ = std::move(designedFile);
        inMemory_ = true;
    }
    return Held();
}

bool PlaybackSource::TakeRecording(const std::wstring& recordingPath, bool headerless) {
    Reset();
    FileHandle file = OpenForReading(recordingPath);
    if (!file)
        return false;
    const std::uint64_t size = SizeOf(file.Get());
    if (headerless) {
        layout_ = PlaybackLayout{static_cast<int>(kPlaybackSampleRate), 1, 1, 8, 0, size};
    } else {
        HandleBytes bytes(file.Get());
        layout_ = PlaybackLayoutOf(bytes, size);
    }
    if (layout_) {
        path_ = recordingPath;
        recording_ = true;
    }
    return Held();
}

bool PlaybackSource::SetAside(const std::wstring& asidePath) {
    if (!Held())
        return false;
    if (aside_ || inMemory_ || recording_)
        return true;
    // The name is this process's own; whatever holds it already is left alone.
    if (::MoveFileExW(path_.c_str(), asidePath.c_str(), 0)) {
        path_ = asidePath;
        aside_ = true;
        return true;
    }
    FileHandle file = OpenForReading(path_);
    const std::uint64_t size = file ? SizeOf(file.Get()) : 0;
    if (!file || size > 0xFFFF'FFFFull)
        return false;
    memory_.resize(static_cast<std::size_t>(size));
    DWORD read = 0;
    if (!memory_.empty() &&
        (!::ReadFile(file.Get(), memory_.data(), static_cast<DWORD>(size), &read, nullptr) ||
         read != size)) {
        memory_ = {};
        return false;
    }
    inMemory_ = true;
    return true;
}

void PlaybackSource::Reset() noexcept {
    if (aside_)
        ::DeleteFileW(path_.c_str());
    path_.clear();
    aside_ = false;
    recording_ = false;
    memory_ = {};
    inMemory_ = false;
    layout_.reset();
}

std::vector<float> PlaybackSource::Read(double fromSeconds, double seconds) const {
    if (!Held())
        return {};
    const std::uint64_t first = Frames(fromSeconds, layout_->sampleRate);
    const std::uint64_t count = Frames(seconds, layout_->sampleRate);
    if (inMemory_) {
        MemoryBytes bytes(memory_);
        return ReadPlaybackFrames(bytes, *layout_, first, count);
    }
    FileHandle file = OpenForReading(path_);
    if (!file)
        return {};
    HandleBytes bytes(file.Get());
    return ReadPlaybackFrames(bytes, *layout_, first, count);
}

} // namespace voice
