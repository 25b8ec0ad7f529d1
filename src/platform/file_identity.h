#pragma once
// Which file a path names, whatever its spelling: device and inode on POSIX, volume
// serial number and file index on Windows. Two spellings of one directory (a link, a
// case variant, a short name, a second mount) give one identity. file_identity_posix.cpp
// and file_identity_win32.cpp.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace voice {

struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of what path names, links followed; nullopt when it does not exist or
// cannot be reached.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

// The path with every link and ".." resolved as the system resolves them, for a path
// that exists; nullopt otherwise.
std::optional<std::filesystem::path> PhysicalPath(const std::filesystem::path& path);

// A name in a folder, with the file index of what it leads to where the listing itself
// tells it for certain: on Windows, a local NTFS volume's listing gives each plain name's
// index (the one IdentityOf gives), so a file can be told apart without opening it. Links
// and every name elsewhere come without one: only opening them says where they lead.
struct ListedName {
    std::filesystem::path name;
    std::optional<std::uint64_t> fileIndex;
};

// The names in folder (not "." and ".."); those listed before a failure when the listing
// fails part way, none when the folder cannot be listed.
std::vector<ListedName> ListFolder(const std::filesystem::path& folder);

} // namespace voice
