#include "tree_snapshot.h"

#include "platform/text.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace voice::testing_support {
namespace {

constexpr std::uint64_t kFullHashLimit = 64ull << 20;
constexpr DWORD kSampleSize = 1u << 20;

std::uint64_t Fnv1a(std::uint64_t hash, const unsigned char* bytes, DWORD count) {
    for (DWORD i = 0; i < count; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

std::uint64_t HashRange(HANDLE file, std::uint64_t from, std::uint64_t count, std::uint64_t hash) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(from);
    ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    std::vector<unsigned char> block(kSampleSize);
    while (count > 0) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(count, block.size()));
        if (!::ReadFile(file, block.data(), want, &read, nullptr) || read == 0)
            break;
        hash = Fnv1a(hash, block.data(), read);
        count -= read;
    }
    return hash;
}

std::uint64_t HashContent(const std::wstring& path, std::uint64_t size) {
    // Shared with everyone: the snapshot must not get in the program's way.
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("snapshot: a file cannot be read");
    std::uint64_t hash = 0xcbf29ce484222325ull;
    if (size <= kFullHashLimit)
        return HashRange(file.Get(), 0, size, hash);
    hash = HashRange(file.Get(), 0, kSampleSize, hash);
    return HashRange(file.Get(), size - kSampleSize, kSampleSize, hash);
}

std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

void Record(const std::wstring& root, const std::wstring& relative,
            std::map<std::wstring, TreeSnapshot::Entry>& entries) {
    const std::wstring dir = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW((dir + L"\\*").c_str(), &data));
    if (!find)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        TreeSnapshot::Entry entry;
        entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.attributes = data.dwFileAttributes;
        entry.lastWriteTime =
            Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        if (!entry.directory) {
            entry.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
            entry.contentHash = HashContent(root + L"\\" + child, entry.size);
        }
        entries[child] = entry;
        if (entry.directory)
            Record(root, child, entries);
    } while (::FindNextFileW(find.Get(), &data));
}

std::string Describe(const TreeSnapshot::Entry& e) {
    char text[160];
    snprintf(text, sizeof text, "%s attr %x size %llu time %llu hash %016llx",
             e.directory ? "dir" : "file", static_cast<unsigned>(e.attributes),
             static_cast<unsigned long long>(e.size),
             static_cast<unsigned long long>(e.lastWriteTime),
             static_cast<unsigned long long>(e.contentHash));
    return text;
}

} // namespace

TreeSnapshot TreeSnapshot::Take(const std::wstring& root) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(root.c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw std::runtime_error("snapshot: the root is not a directory");
    TreeSnapshot snapshot;
    TreeSnapshot::Entry& self = snapshot.entries_[L""];
    self.directory = true;
    self.attributes = data.dwFileAttributes;
    self.lastWriteTime =
        Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    Record(root, L"", snapshot.entries_);
    return snapshot;
}

std::string TreeSnapshot::DifferencesTo(const TreeSnapshot& later) const {
    std::string differences;
    const auto name = [](const std::wstring& path) {
        std::string quoted(1, '\'');
        quoted += WideToUtf8(path.empty() ? L"." : path);
        quoted += '\'';
        return quoted;
    };
    for (const auto& [path, entry] : entries_) {
        const auto found = later.entries_.find(path);
        if (found == later.entries_.end())
            differences += "missing " + name(path) + "\n";
        else if (!(found->second == entry))
            differences += "changed " + name(path) + ": " + Describe(entry) + " -> " +
                           Describe(found->second) + "\n";
    }
    for (const auto& [path, entry] : later.entries_)
        if (!entries_.count(path))
            differences += "new " + name(path) + ": " + Describe(entry) + "\n";
    return differences;
}

} // namespace voice::testing_support
