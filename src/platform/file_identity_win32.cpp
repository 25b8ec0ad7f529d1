#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_identity.h"
#include "platform/listed_entries_win32.h"
#include "platform/unique_handle.h"

namespace voice {
namespace {

// Backup semantics: directories open too; no access asked unless given, so a file another
// program holds locked still answers.
FileHandle Open(const std::filesystem::path& path, DWORD access = 0) {
    return FileHandle(::CreateFileW(path.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Whether the folder's listing gives each name the index IdentityOf finds: on a local
// NTFS volume it is the file's record number either way. Elsewhere (FAT has no stable
// index, a share answers as its server does) names are opened.
bool ListsFileIndexes(HANDLE folder) {
    wchar_t system[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, nullptr, system,
                                         MAX_PATH + 1) ||
        std::wstring_view(system) != L"NTFS")
        return false;
    FILE_REMOTE_PROTOCOL_INFO remote{};
    return !::GetFileInformationByHandleEx(folder, FileRemoteProtocolInfo, &remote, sizeof remote);
}

// The names with the indexes the folder's listing gives them; nullopt when the volume
// will not list them so (then they are listed the common way).
std::optional<std::vector<ListedName>> IndexedNames(HANDLE listing) {
    std::vector<ListedName> names;
    const bool listed = ForEachListed<FILE_ID_BOTH_DIR_INFO>(
        listing, FileIdBothDirectoryRestartInfo, FileIdBothDirectoryInfo,
        [&](const FILE_ID_BOTH_DIR_INFO& entry, std::wstring_view name) {
            // A link's own record says nothing of where it leads; 0 is no index.
            const auto index = static_cast<std::uint64_t>(entry.FileId.QuadPart);
            const bool known = !(entry.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && index != 0;
            names.push_back({name, known ? std::optional(index) : std::nullopt});
        });
    if (!listed)
        return std::nullopt;
    return names;
}

// The names alone, as any volume lists them.
std::vector<ListedName> PlainNames(const std::filesystem::path& folder) {
    std::vector<ListedName> names;
    WIN32_FIND_DATAW found;
    const FindHandle search(::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
    if (!search)
        return names;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back({name, std::nullopt});
    } while (::FindNextFileW(search.Get(), &found));
    return names;
}

} // namespace

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    if (path.empty())
        return std::nullopt;
    const FileHandle file = Open(path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.Get(), &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                            info.nFileIndexLow};
}

std::optional<std::filesystem::path> PhysicalPath(const std::filesystem::path& path) {
    const FileHandle file = Open(path);
    if (!file)
        return std::nullopt;
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(file.Get(), buffer.data(),
                                                    static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return std::nullopt;
        if (n < buffer.size()) {
            std::wstring text(buffer.data(), n);
            if (text.starts_with(L"\\\\?\\UNC\\"))
                text = L"\\\\" + text.substr(8);
            else if (text.starts_with(L"\\\\?\\"))
                text = text.substr(4);
            return std::filesystem::path(text);
        }
        buffer.resize(n + 1);
    }
    return std::nullopt;
}

std::vector<ListedName> ListFolder(const std::filesystem::path& folder) {
    const FileHandle listing = Open(folder, FILE_LIST_DIRECTORY);
    if (listing && ListsFileIndexes(listing.Get()))
        if (auto names = IndexedNames(listing.Get()))
            return std::move(*names);
    return PlainNames(folder);
}

} // namespace voice
