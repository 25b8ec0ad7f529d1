#include <dirent.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/file_identity.h"

namespace voice {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<std::filesystem::path> PhysicalPath(const std::filesystem::path& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    if (!resolved)
        return std::nullopt;
    return std::filesystem::path(resolved.get());
}

// A directory entry's inode is not always the one stat gives (stacked file systems), so
// no name comes with an index.
std::vector<ListedName> ListFolder(const std::filesystem::path& folder) {
    std::vector<ListedName> names;
    const std::unique_ptr<DIR, decltype(&::closedir)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back({name, std::nullopt});
    }
    return names;
}

} // namespace voice
