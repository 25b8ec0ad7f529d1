#include "fake_directory_tree.h"

#include "catalogue/date_time.h"

#include <cmath>

namespace voice::testing_support {

void FakeDirectoryTree::AddDirectory(const std::wstring& path, std::uint32_t attributes) {
    if (dirs_.count(path) == 0)
        dirs_[path] = {{L".", kAttrDirectory}, {L"..", kAttrDirectory}};
    const std::wstring parent = Parent(path);
    if (!parent.empty()) {
        if (dirs_.count(parent) == 0)
            AddDirectory(parent);
        dirs_[parent].push_back({path.substr(path.rfind(L'\\') + 1), attributes});
    }
}

void FakeDirectoryTree::AddFile(const std::wstring& dir, FakeEntry entry) {
    if (dirs_.count(dir) == 0)
        AddDirectory(dir);
    dirs_[dir].push_back(std::move(entry));
}

std::wstring FakeDirectoryTree::Key(const std::wstring& path) {
    std::wstring key = path;
    if (key.size() > 3 && key.back() == L'\\')
        key.pop_back();
    return key;
}

bool FakeDirectoryTree::ChangeDirectory(const std::wstring& path) {
    const std::wstring key = Key(path);
    if (dirs_.count(key) == 0)
        return false;
    current_ = key;
    return true;
}

bool FakeDirectoryTree::ExpandPath(std::wstring_view name, std::wstring& fullPath) {
    std::wstring result;
    if (name == L".")
        result = current_;
    else if (name == L"..")
        result = Parent(current_).empty() ? current_ : Parent(current_);
    else
        result = Join(current_, name);
    if (result.size() > 259)
        return false;
    fullPath = result;
    return true;
}

void FakeDirectoryTree::ListDirectory(std::wstring_view,
                                      const std::function<void(const DirectoryEntry&)>& each) {
    List(current_, each);
}

void FakeDirectoryTree::ListDirectoryAt(const std::wstring& dir, std::wstring_view,
                                        const std::function<void(const DirectoryEntry&)>& each) {
    List(Key(dir), each);
}

void FakeDirectoryTree::List(const std::wstring& key,
                             const std::function<void(const DirectoryEntry&)>& each) {
    auto it = dirs_.find(key);
    if (it == dirs_.end())
        return;
    for (const FakeEntry& e : it->second)
        each(DirectoryEntry{e.name, e.attributes, e.size, e.lastWriteTime});
}

std::wstring FakeDirectoryTree::AnsiToWideText(std::string_view ansi) {
    return std::wstring(ansi.begin(), ansi.end());
}

std::wstring FakeDirectoryTree::Parent(const std::wstring& path) {
    const std::size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos || cut + 1 == path.size())
        return {}; // a drive root has none
    return cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
}

std::wstring FakeDirectoryTree::Join(const std::wstring& dir, std::wstring_view name) {
    std::wstring result = dir;
    if (result.back() != L'\\')
        result.push_back(L'\\');
    result.append(name);
    return result;
}

std::uint64_t FakeUtcFileTime(int year, int month, int day, int hour, int minute, int second) {
    // Days since 30.12.1899 to days since 01.01.1601: 109205 days apart.
    const double days = EncodeDate(year, month, day) + 109205;
    const std::uint64_t seconds = static_cast<std::uint64_t>(std::llround(days)) * 86400 +
                                  static_cast<std::uint64_t>(hour * 3600 + minute * 60 + second);
    return seconds * 10'000'000 - FakeDirectoryTree::kLocalBias;
}

} // namespace voice::testing_support
