#include "cli/posix_directory_enumerator.h"

#include "catalogue/local_time.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/safe_file.h"
#include "platform/utf8.h"

namespace voice::cli {
namespace {

using voice::FromUtf8;
using voice::NameBytes;

constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

std::string Lower(std::string_view text) {
    // Case folding through wide text, so Cyrillic names compare as Windows compares them.
    std::wstring wide = FromUtf8(text);
    for (wchar_t& c : wide) {
        if ((c >= L'A' && c <= L'Z') || (c >= 0x410 && c <= 0x42F))
            c = static_cast<wchar_t>(c + 0x20);
        else if (c >= 0x400 && c <= 0x40F)
            c = static_cast<wchar_t>(c + 0x50);
    }
    return NameBytes(wide);
}

bool IsValidUtf8(std::string_view text) {
    for (const wchar_t c : FromUtf8(text))
        if (voice::KeptByte(c) >= 0)
            return false;
    return true;
}

bool Exists(const std::wstring& path) {
    struct stat info;
    const std::string unix = voice::PathFromWide(path).native();
    return ::stat(ResolveIgnoringCase(unix).c_str(), &info) == 0;
}

// The attribute word Wine reports for an entry.
std::uint32_t AttributesOf(const std::string& path, const std::string& name,
                           const struct stat& info) {
    char stored[32] = {};
    const ssize_t n = ::getxattr(path.c_str(), "user.DOSATTRIB", stored, sizeof stored - 1);
    std::uint32_t attributes = 0;
    if (n > 0)
        attributes = static_cast<std::uint32_t>(std::strtoul(stored, nullptr, 0)) &
                     (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
    if (S_ISDIR(info.st_mode)) {
        attributes = (attributes & ~kAttrArchive) | kAttrDirectory;
    } else if (n <= 0) {
        attributes |= kAttrArchive;
    }
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attributes |= kAttrHidden;
    if ((info.st_mode & 0222) == 0)
        attributes |= kAttrReadOnly;
    return attributes;
}

struct DirCloser {
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

} // namespace

std::string ResolveIgnoringCase(const std::string& path) {
    struct stat info;
    if (path.empty() || ::stat(path.c_str(), &info) == 0)
        return path;
    std::string resolved = path[0] == '/' ? "/" : "";
    std::size_t at = 0;
    while (at < path.size()) {
        const std::size_t slash = path.find('/', at);
        const std::string part = path.substr(at, slash == std::string::npos ? slash : slash - at);
        at = slash == std::string::npos ? path.size() : slash + 1;
        if (part.empty())
            continue;
        std::string next = resolved + part;
        if (::stat(next.c_str(), &info) != 0) {
            std::unique_ptr<DIR, DirCloser> dir(
                ::opendir(resolved.empty() ? "." : resolved.c_str()));
            const std::string wanted = Lower(part);
            while (dir) {
                const dirent* entry = ::readdir(dir.get());
                if (!entry)
                    break;
                if (Lower(entry->d_name) == wanted) {
                    next = resolved + entry->d_name;
                    break;
                }
            }
        }
        resolved = next + (at < path.size() ? "/" : "");
    }
    return resolved;
}

std::wstring WindowsFormOfCurrentDirectory() {
    std::vector<char> buffer(4096);
    if (!::getcwd(buffer.data(), buffer.size()))
        return {};
    std::wstring current = L"Z:" + FromUtf8(buffer.data());
    for (wchar_t& c : current)
        if (c == L'/')
            c = L'\\';
    return current;
}

bool PosixDirectoryEnumerator::ChangeDirectory(const std::wstring& path) {
    if (path.empty())
        return false;
    const std::string unix = voice::PathFromWide(path).native();
    return ::chdir(ResolveIgnoringCase(unix).c_str()) == 0;
}

bool PosixDirectoryEnumerator::ExpandPath(std::wstring_view name, std::wstring& fullPath) {
    const std::wstring current = WindowsFormOfCurrentDirectory();
    if (current.empty())
        return false;
    fullPath = name == L"."
                   ? current
                   : current + (current.ends_with(L'\\') ? L"" : L"\\") + std::wstring(name);
    return true;
}

void PosixDirectoryEnumerator::ListDirectory(
    std::wstring_view, const std::function<void(const DirectoryEntry&)>& each) {
    // Every entry is reported; the search matches the names itself.
    std::unique_ptr<DIR, DirCloser> dir(::opendir("."));
    if (!dir)
        return;
    while (const dirent* found = ::readdir(dir.get())) {
        const std::string name = found->d_name;
        struct stat info;
        if (::stat(name.c_str(), &info) != 0)
            continue;
        const std::wstring wideName = FromUtf8(name);
        DirectoryEntry entry;
        entry.name = wideName;
        entry.attributes = AttributesOf(name, name, info);
        entry.size = S_ISDIR(info.st_mode) ? 0 : static_cast<std::uint64_t>(info.st_size);
        entry.lastWriteTime = kUnixEpochAsFileTime +
                              static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 10000000ULL +
                              static_cast<std::uint64_t>(info.st_mtim.tv_nsec) / 100;
        each(entry);
    }
}

std::uint64_t PosixDirectoryEnumerator::ToLocalFileTime(std::uint64_t utcFileTime) {
    // As the platform converts it for the window: by the bias in force now, whatever the
    // date of the time converted.
    if (!haveBias_) {
        bias_ = UtcOffsetNow() * 10000000LL;
        haveBias_ = true;
    }
    if (bias_ < 0 && utcFileTime < static_cast<std::uint64_t>(-bias_))
        return utcFileTime;
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(utcFileTime) + bias_);
}

std::wstring PosixDirectoryEnumerator::AnsiToWideText(std::string_view ansi) {
    if (IsValidUtf8(ansi))
        return FromUtf8(ansi);
    // Not text: code page 1251 from Windows, or a name of this system that is no UTF-8
    // (a base made absolute against such a directory); the one that exists is meant.
    std::wstring fromWindows = Cp1251ToWide(ansi);
    std::wstring asGiven = FromUtf8(ansi);
    return !Exists(fromWindows) && Exists(asGiven) ? asGiven : fromWindows;
}

std::wstring Cp1251ToWide(std::string_view bytes) {
    // 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
    static constexpr char16_t kHigh[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
        0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
        0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
        0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
        0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
    std::wstring wide;
    wide.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        wide += b < 0x80   ? static_cast<wchar_t>(b)
                : b < 0xC0 ? static_cast<wchar_t>(kHigh[b - 0x80])
                           : static_cast<wchar_t>(0x0410 + (b - 0xC0));
    }
    return wide;
}

} // namespace voice::cli
