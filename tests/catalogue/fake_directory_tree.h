#pragma once
// An in-memory directory tree behind DirectoryEnumerator. Like the platform under Wine
// it lists every entry whatever the pattern, so the search's own name matching is
// exercised, and it can hold attribute words no file system produces.

#include "catalogue/directory_enumerator.h"

#include <map>
#include <string>
#include <vector>

namespace voice::testing_support {

struct FakeEntry {
    std::wstring name;
    std::uint32_t attributes = kAttrArchive;
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0;
};

class FakeDirectoryTree : public DirectoryEnumerator {
public:
    static constexpr std::uint64_t kLocalBias = 3ULL * 3600 * 10'000'000; // UTC+3

    // Adds the directory (and its "." and ".." entries), and its entry in the parent.
    void AddDirectory(const std::wstring& path, std::uint32_t attributes = kAttrDirectory);
    void AddFile(const std::wstring& dir, FakeEntry entry);

    const std::wstring& CurrentDirectory() const { return current_; }

    bool ChangeDirectory(const std::wstring& path) override;
    bool ExpandPath(std::wstring_view name, std::wstring& fullPath) override;
    void ListDirectory(std::wstring_view pattern,
                       const std::function<void(const DirectoryEntry&)>& each) override;
    // As the platform's: from outside, the current directory left alone.
    void ListDirectoryAt(const std::wstring& dir, std::wstring_view pattern,
                         const std::function<void(const DirectoryEntry&)>& each) override;
    bool ListsInPlace() const noexcept override { return true; }
    std::uint64_t ToLocalFileTime(std::uint64_t utc) override { return utc + kLocalBias; }
    std::wstring AnsiToWideText(std::string_view ansi) override;

private:
    static std::wstring Key(const std::wstring& path);
    void List(const std::wstring& key, const std::function<void(const DirectoryEntry&)>& each);
    static std::wstring Parent(const std::wstring& path);
    static std::wstring Join(const std::wstring& dir, std::wstring_view name);

    std::map<std::wstring, std::vector<FakeEntry>> dirs_;
    std::wstring current_ = L"C:\\";
};

// A local wall-clock time as the UTC FILETIME the fake reports.
std::uint64_t FakeUtcFileTime(int year, int month, int day, int hour, int minute, int second);

} // namespace voice::testing_support
