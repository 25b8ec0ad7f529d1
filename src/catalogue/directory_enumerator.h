#pragma once
// The platform services the recording search stands on: the process's current
// directory, expanding a name against it, and listing it. The product uses
// Win32DirectoryEnumerator (win32_directory_enumerator.h); tests may supply attribute
// combinations the platform cannot produce. Portable.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace voice {

// File attribute bits as the platform reports them.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrVolumeLabel = 0x08;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

struct DirectoryEntry {
    std::wstring_view name; // valid during the callback only
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0; // FILETIME: UTC, 100 ns units since 01.01.1601
};

class DirectoryEnumerator {
public:
    virtual ~DirectoryEnumerator() = default;

    // Makes path the current directory; false when it cannot be entered.
    virtual bool ChangeDirectory(const std::wstring& path) = 0;
    // name expanded against the current directory into fullPath; false when that fails
    // or the result would not fit the platform's 260-character path buffer.
    virtual bool ExpandPath(std::wstring_view name, std::wstring& fullPath) = 0;
    // Lists the current directory with a wildcard pattern ("*." or "*.3"). Every entry
    // the pattern matches is reported (".", ".." included); others may be reported as
    // well, so callers match names themselves.
    virtual void ListDirectory(std::wstring_view pattern,
                               const std::function<void(const DirectoryEntry&)>& each) = 0;
    // Lists directory dir (a full path) with pattern as ListDirectory does with dir current,
    // nothing when it cannot be entered. This one makes dir current to list it; one that
    // ListsInPlace leaves the current directory alone.
    virtual void ListDirectoryAt(const std::wstring& dir, std::wstring_view pattern,
                                 const std::function<void(const DirectoryEntry&)>& each) {
        if (ChangeDirectory(dir))
            ListDirectory(pattern, each);
    }
    virtual bool ListsInPlace() const noexcept { return false; }
    // UTC FILETIME to local FILETIME.
    virtual std::uint64_t ToLocalFileTime(std::uint64_t utcFileTime) = 0;
    // Text in the ANSI code page (the channel table's paths) to wide text.
    virtual std::wstring AnsiToWideText(std::string_view ansi) = 0;
};

} // namespace voice
