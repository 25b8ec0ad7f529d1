#include "catalogue/win32_directory_enumerator.h"

#include "platform/text.h"
#include "platform/unique_handle.h"

#include <windows.h>

namespace voice {

bool Win32DirectoryEnumerator::ChangeDirectory(const std::wstring& path) {
    return !path.empty() && ::SetCurrentDirectoryW(path.c_str()) != FALSE;
}

bool Win32DirectoryEnumerator::ExpandPath(std::wstring_view name, std::wstring& fullPath) {
    const std::wstring bare(name);
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(bare.c_str(), MAX_PATH, buffer, nullptr);
    // A result that does not fit reports the size it needs, which is at least MAX_PATH.
    if (length == 0 || length >= MAX_PATH)
        return false;
    fullPath.assign(buffer, length);
    return true;
}

namespace {

void ListWildcard(const std::wstring& wildcard,
                  const std::function<void(const DirectoryEntry&)>& each) {
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileExW(wildcard.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return;
    do {
        DirectoryEntry entry;
        entry.name = data.cFileName;
        entry.attributes = data.dwFileAttributes;
        entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entry.lastWriteTime =
            (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime;
        each(entry);
    } while (::FindNextFileW(find.Get(), &data));
}

} // namespace

void Win32DirectoryEnumerator::ListDirectory(
    std::wstring_view pattern, const std::function<void(const DirectoryEntry&)>& each) {
    ListWildcard(std::wstring(pattern), each);
}

void Win32DirectoryEnumerator::ListDirectoryAt(
    const std::wstring& dir, std::wstring_view pattern,
    const std::function<void(const DirectoryEntry&)>& each) {
    std::wstring wildcard = dir;
    if (!wildcard.empty() && wildcard.back() != L'\\')
        wildcard.push_back(L'\\');
    wildcard.append(pattern);
    // Only the relative form fits the platform's path buffer: listed as before, from inside.
    if (wildcard.size() >= MAX_PATH) {
        if (ChangeDirectory(dir))
            ListDirectory(pattern, each);
        return;
    }
    ListWildcard(wildcard, each);
}

std::uint64_t Win32DirectoryEnumerator::ToLocalFileTime(std::uint64_t utcFileTime) {
    constexpr std::uint64_t kMaxFileTime = 0x7FFF'FFFF'FFFF'FFFFULL;
    if (haveBias_) {
        const std::uint64_t magnitude =
            bias_ < 0 ? 0 - static_cast<std::uint64_t>(bias_) : static_cast<std::uint64_t>(bias_);
        if (bias_ >= 0 && utcFileTime <= kMaxFileTime - magnitude)
            return utcFileTime + magnitude;
        if (bias_ < 0 && utcFileTime >= magnitude && utcFileTime <= kMaxFileTime)
            return utcFileTime - magnitude;
    }
    FILETIME utc{static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
    FILETIME local{};
    if (!::FileTimeToLocalFileTime(&utc, &local))
        return utcFileTime;
    const std::uint64_t result =
        (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    bias_ = static_cast<std::int64_t>(result - utcFileTime);
    haveBias_ = true;
    return result;
}

std::wstring Win32DirectoryEnumerator::AnsiToWideText(std::string_view ansi) {
    return AnsiToWide(ansi);
}

void RunRecordingSearch(const SearchCriteria& criteria, const ChannelDirTable& table,
                        TSortStr& lineList, const std::wstring& startDir,
                        const std::function<void()>& afterChannel) {
    Win32DirectoryEnumerator enumerator;
    RunRecordingSearch(criteria, table, lineList, startDir, afterChannel, enumerator);
}

wchar_t LocaleTimeSeparator() {
    wchar_t text[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, text, 8) > 1)
        return text[0];
    return L':';
}

} // namespace voice
