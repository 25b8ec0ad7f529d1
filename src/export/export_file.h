#pragma once
// The export's file access: stdio on wide paths (Windows) or byte paths (elsewhere), plus
// the renames that finish a ".part" file. Portable: no <windows.h>.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

namespace voice::exporting {

class ExportFile {
public:
    enum class Mode {
        Read,   // an existing file, read only
        Create, // a new or emptied file, read and write
    };

    ExportFile() noexcept = default;
    ExportFile(const std::filesystem::path& path, Mode mode);
    ~ExportFile();
    ExportFile(ExportFile&& other) noexcept : file_(other.file_), failed_(other.failed_) {
        other.file_ = nullptr;
    }
    ExportFile& operator=(ExportFile&&) = delete;
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool IsOpen() const noexcept { return file_ != nullptr; }
    // A read, write, seek or close has failed since the open.
    bool Failed() const noexcept { return failed_; }

    // 0 at the end or on a failure.
    std::size_t Read(std::span<std::uint8_t> into) noexcept;
    void Write(std::span<const std::uint8_t> bytes) noexcept;
    void Seek(std::uint64_t offset) noexcept;
    void SeekToEnd() noexcept;
    std::uint64_t Length() noexcept;
    // Flushes and closes; false when anything failed.
    bool Close() noexcept;

private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// A file written as "<name>.part" and given its name only when complete: whatever is not
// committed is removed, so a failed or cancelled command leaves no partial file.
class PartFile {
public:
    explicit PartFile(std::filesystem::path partPath)
        : path_(std::move(partPath)), file_(path_, ExportFile::Mode::Create) {}
    ~PartFile() { Discard(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const std::filesystem::path& Path() const noexcept { return path_; }
    ExportFile& File() noexcept { return file_; }
    bool IsOpen() const noexcept { return file_.IsOpen(); }

    // Closes the file; false (and the file removed) when any write failed.
    bool Close() noexcept;
    // Renames the closed file to target (never over an existing file unless replace).
    bool Commit(const std::filesystem::path& target, bool replace);
    void Discard() noexcept;

private:
    std::filesystem::path path_;
    ExportFile file_;
    bool done_ = false;
};

// Paths from and to wide text whatever the process's locale: Windows paths are wide,
// POSIX paths are taken as UTF-8, and a path on drive Z: (the Unix root as the window
// sees it under Wine, and as voice-export lists it on Linux) is the Unix path.
std::filesystem::path PathFromWide(std::wstring_view text);
std::wstring WideFromPath(const std::filesystem::path& path);
// path with ".part" appended to its last component.
std::filesystem::path PartPathOf(const std::filesystem::path& path);

// Renames unless to exists; false when it exists or the rename failed.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// Renames over an existing file.
bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
bool FileExists(const std::filesystem::path& path) noexcept;
void RemoveQuietly(const std::filesystem::path& path) noexcept;

} // namespace voice::exporting
