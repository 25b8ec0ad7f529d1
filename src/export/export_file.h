#pragma once
// The export's file access: stdio on wide paths (Windows) or byte paths (elsewhere), and
// the one way every file the program makes outside "$$$.Wav" is written: a ".part" file
// created exclusively under a name no one else holds, flushed, its size checked, then
// renamed onto its target without replacing unless the caller asked. Portable: no
// <windows.h>.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace voice::exporting {

class ExportFile {
public:
    enum class Mode {
        Read,   // an existing file, read only
        Create, // a new file, read and write; fails when the name exists, a link included
    };

    ExportFile() noexcept = default;
    ExportFile(const std::filesystem::path& path, Mode mode);
    ~ExportFile();
    ExportFile(ExportFile&& other) noexcept
        : file_(other.file_), failed_(other.failed_), error_(other.error_), at_(other.at_),
          extent_(other.extent_) {
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

    // Cuts (or extends) the file to size bytes: what lies past it is no longer written.
    void Resize(std::uint64_t size) noexcept;
    // The system's error number of the open or of the first failure (0 when none).
    int Error() const noexcept { return error_; }
    // One past the last byte written: the size the file must have once flushed.
    std::uint64_t WrittenExtent() const noexcept { return extent_; }
    // Hands everything written to the system; false (and Failed) when it would not take it.
    bool Flush() noexcept;
    // The file's size as the system holds it, after Flush (nullopt when it cannot say).
    std::optional<std::uint64_t> SizeOnDisk() const noexcept;

private:
    void Fail() noexcept;

    std::FILE* file_ = nullptr;
    bool failed_ = false;
    int error_ = 0;
    std::uint64_t at_ = 0;
    std::uint64_t extent_ = 0;
};

// A file written as "<name>.part" and given its name only when complete: whatever is not
// committed is removed, so a failed or cancelled command leaves no partial file. The
// part file is always new: when the name is held (by another export, a leftover, a
// link) the next of "<name>.2.part", "<name>.3.part"... is taken, never the one there.
class PartFile {
public:
    explicit PartFile(std::filesystem::path partPath);
    ~PartFile() { Discard(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const std::filesystem::path& Path() const noexcept { return path_; }
    ExportFile& File() noexcept { return file_; }
    bool IsOpen() const noexcept { return file_.IsOpen(); }

    // Flushes and closes the file; false (and the file removed) when any write failed or
    // the system holds another size than was written.
    bool Close() noexcept;
    // Renames the closed file to target (never over an existing file unless replace).
    bool Commit(const std::filesystem::path& target, bool replace);
    void Discard() noexcept;

    // Why the last step failed, in the user's words ("нет места на диске"); empty when
    // the system gave no reason.
    std::wstring FailureReason() const;

private:
    std::filesystem::path path_;
    ExportFile file_;
    bool done_ = false;
    int error_ = 0;
};

// bytes written to target through a PartFile. Throws ExportRefused naming the file (and
// the system's reason) when it cannot be written, or when it exists and replace is false.
void WriteWholeFile(const std::filesystem::path& target, std::string_view bytes, bool replace);

// Throws ExportRefused naming target when a file (or a link) of that name is there.
void RefuseExistingTarget(const std::filesystem::path& target);

// An error number of the system (errno) in the user's words; empty for 0.
std::wstring SystemErrorText(int error);

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
// Also a link whose target is gone: the name is held all the same.
bool FileExists(const std::filesystem::path& path) noexcept;
void RemoveQuietly(const std::filesystem::path& path) noexcept;

} // namespace voice::exporting
