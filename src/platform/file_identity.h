#pragma once
// Which file a path names, whatever its spelling: device and inode on POSIX, volume
// serial number and file index on Windows. Two spellings of one directory (a link, a
// case variant, a short name, a second mount) give one identity. file_identity_posix.cpp
// and file_identity_win32.cpp.

#include <cstdint>
#include <filesystem>
#include <optional>

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

} // namespace voice
