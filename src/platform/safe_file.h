#pragma once
// The program's file access: stdio on wide paths (Windows) or byte paths (elsewhere), and
// the one way every file the program makes outside "$$$.Wav" is written (exports, lists,
// settings, heard marks): a new file in
// a folder opened once (TargetFolder), unnamed or under a name no one else holds while
// written, flushed, its size checked, then named without replacing unless the caller
// asked. Portable: no <windows.h>.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/target_folder.h"

namespace voice {

// A write refused before anything was written (a target inside the archive, an existing
// file not to be replaced, a merged file that would pass 4 GB). The text is the
// Russian message the user sees.
class WriteRefused {
public:
    explicit WriteRefused(std::wstring text) : text_(std::move(text)) {}
    const std::wstring& Text() const noexcept { return text_; }

private:
    std::wstring text_;
};

// A file could not be written (no space, no access): not the user's fault, so the
// command line ends as for any failed write, not as for a refusal.
class WriteFailed : public WriteRefused {
public:
    using WriteRefused::WriteRefused;
};

class FileStream {
public:
    enum class Mode {
        Read, // an existing file, read only
    };

    FileStream() noexcept = default;
    // Read: only a regular file opens (a pipe, a device or a folder named like a
    // recording is refused at once, never waited on).
    FileStream(const std::filesystem::path& path, Mode mode);
    // A stream someone else closes; Close only flushes it. Writes past limit bytes fail
    // as a full file system would make them fail.
    static FileStream Borrowing(std::FILE* stream, std::uint64_t limit) noexcept;
    ~FileStream();
    FileStream(FileStream&& other) noexcept
        : file_(other.file_), owned_(other.owned_), failed_(other.failed_), error_(other.error_),
          at_(other.at_), extent_(other.extent_), limit_(other.limit_) {
        other.file_ = nullptr;
    }
    FileStream& operator=(FileStream&& other) noexcept;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

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
    bool owned_ = true;
    bool failed_ = false;
    int error_ = 0;
    std::uint64_t at_ = 0;
    std::uint64_t extent_ = 0;
    std::uint64_t limit_ = ~std::uint64_t{0};
};

// The largest file a command writes: a WAV's sizes end at 4 GB.
inline constexpr std::uint64_t kLargestWrittenFile = 0xFFFFFFFFull + 8;

// A file written into a TargetFolder and given its name only when complete: whatever is
// not committed goes, so a failed, cancelled or killed command leaves no partial file.
// Unfinished, it has no name at all where the system allows (or is marked to go when
// closed); elsewhere it is "<name>.part", always new: when that is held (by another
// export, a leftover, a link) the next of "<name>.2.part"... is taken, never the one there.
class PartFile {
public:
    PartFile(const TargetFolder& folder, const std::filesystem::path& name);
    ~PartFile() { Discard(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const TargetFolder& Folder() const noexcept { return folder_; }
    FileStream& File() noexcept { return stream_; }
    bool IsOpen() const noexcept { return file_ != nullptr && !done_; }

    // Gives the complete file name in its folder (never over an existing file unless
    // replace); false, the file still uncommitted, when the name is taken or any write
    // failed or the system holds another size than was written (then it is removed).
    bool Commit(const std::filesystem::path& name, bool replace);
    void Discard() noexcept;
    // The error number of the last failure (EEXIST: the name was taken).
    int Error() const noexcept { return error_; }

    // Why the last step failed, in the user's words ("нет места на диске"); empty when
    // the system gave no reason.
    std::wstring FailureReason() const;

private:
    bool Complete() noexcept;

    const TargetFolder& folder_;
    std::unique_ptr<TargetFolder::NewFile> file_;
    FileStream stream_;
    bool done_ = false;
    int error_ = 0;
};

// bytes written as name in folder through a PartFile. Throws WriteRefused naming the
// file when it exists and replace is false, and WriteFailed (with the system's reason)
// when it cannot be written.
void WriteWholeFile(const TargetFolder& folder, const std::filesystem::path& name,
                    std::string_view bytes, bool replace);
// The program's own files (settings, heard marks): target's folder opened as it is.
void WriteWholeFile(const std::filesystem::path& target, std::string_view bytes, bool replace);

// Throws WriteRefused naming target when a file (or a link) of that name is there.
void RefuseExistingTarget(const std::filesystem::path& target);
void RefuseExistingTarget(const TargetFolder& folder, const std::filesystem::path& name);

// Throws WriteRefused naming target when a name there leads to something that is not a
// regular file (a device, a pipe, a folder): replacing it, asked or not, is never done.
void RefuseNonFileTarget(const std::filesystem::path& target);
void RefuseNonFileTarget(const TargetFolder& folder, const std::filesystem::path& name);

// An error number of the system (errno) in the user's words; empty for 0.
std::wstring SystemErrorText(int error);

// Paths from and to wide text whatever the process's locale: Windows paths are wide,
// POSIX paths are taken as UTF-8, and a path on drive Z: (the Unix root as the window
// sees it under Wine, and as voice-export lists it on Linux) is the Unix path.
std::filesystem::path PathFromWide(std::wstring_view text);
std::wstring WideFromPath(const std::filesystem::path& path);
// Also a link whose target is gone: the name is held all the same.
bool FileExists(const std::filesystem::path& path) noexcept;
void RemoveQuietly(const std::filesystem::path& path) noexcept;

} // namespace voice
