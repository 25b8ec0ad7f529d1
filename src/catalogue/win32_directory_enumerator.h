#pragma once
// The search's platform services on Win32, and the search as the window runs it. Win32.

#include "catalogue/directory_enumerator.h"
#include "catalogue/recording_search.h"

namespace voice {

class Win32DirectoryEnumerator final : public DirectoryEnumerator {
public:
    bool ChangeDirectory(const std::wstring& path) override;
    bool ExpandPath(std::wstring_view name, std::wstring& fullPath) override;
    void ListDirectory(std::wstring_view pattern,
                       const std::function<void(const DirectoryEntry&)>& each) override;
    // Lists by the full path: entering a directory costs the platform more than listing it
    // (under Wine, about as much as listing 50 files).
    void ListDirectoryAt(const std::wstring& dir, std::wstring_view pattern,
                         const std::function<void(const DirectoryEntry&)>& each) override;
    bool ListsInPlace() const noexcept override { return true; }
    std::uint64_t ToLocalFileTime(std::uint64_t utcFileTime) override;
    std::wstring AnsiToWideText(std::string_view ansi) override;

private:
    // The platform converts with the time zone's current bias, whatever the date, so the
    // bias is taken once per enumerator (one search).
    bool haveBias_ = false;
    std::int64_t bias_ = 0;
};

// RunRecordingSearch over the real file system.
void RunRecordingSearch(const SearchCriteria& criteria, const ChannelDirTable& table,
                        TSortStr& lineList, const std::wstring& startDir,
                        const std::function<void()>& afterChannel);

// The first character of the user's time separator (':' under the usual settings).
wchar_t LocaleTimeSeparator();

} // namespace voice
