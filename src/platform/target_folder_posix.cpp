#include "platform/target_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace voice {

struct TargetFolder::Native {
    explicit Native(int fd) noexcept : fd(fd) {}
    ~Native() { ::close(fd); }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;
    int fd;
};

namespace {

namespace fs = std::filesystem;

FileIdentity IdentityOfStat(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::FILE* StreamOver(int fd, int& error) {
    std::FILE* stream = ::fdopen(fd, "w+b");
    if (!stream) {
        error = errno;
        ::close(fd);
    }
    return stream;
}

// A file without a name: it exists only while open and is linked in whole at the end.
class UnnamedFile final : public TargetFolder::NewFile {
public:
    UnnamedFile(int folder, std::FILE* stream) : folder_(folder), stream_(stream) {}
    ~UnnamedFile() override {
        if (stream_)
            std::fclose(stream_);
    }
    std::FILE* Stream() noexcept override { return stream_; }

    bool Commit(const fs::path& name, bool replace, int& error) override {
        const std::string self = "/proc/self/fd/" + std::to_string(::fileno(stream_));
        // linkat never replaces: a name that is there (a link included) refuses it.
        if (!replace) {
            if (::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                error = errno;
                return false;
            }
            return Close(error);
        }
        // Linked under a fresh name of our own, then renamed over the target in one step.
        static std::atomic<unsigned> serial{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string temporary = "." + name.filename().string() + "." +
                                          std::to_string(::getpid()) + "-" +
                                          std::to_string(++serial) + ".part";
            if (::linkat(AT_FDCWD, self.c_str(), folder_, temporary.c_str(), AT_SYMLINK_FOLLOW) !=
                0) {
                if (errno == EEXIST)
                    continue;
                error = errno;
                return false;
            }
            if (::renameat(folder_, temporary.c_str(), folder_, name.c_str()) != 0) {
                error = errno;
                ::unlinkat(folder_, temporary.c_str(), 0);
                return false;
            }
            return Close(error);
        }
        error = EEXIST;
        return false;
    }

private:
    bool Close(int& error) {
        const bool closed = std::fclose(std::exchange(stream_, nullptr)) == 0;
        if (!closed)
            error = errno;
        return closed;
    }

    int folder_;
    std::FILE* stream_;
};

// The named files being written, for a signal handler that ends the process: a fixed
// table a handler can read without locks (an export holds its index and one recording).
struct UnfinishedSlot {
    std::atomic<int> folder{-1};
    char name[512]{};
};
UnfinishedSlot unfinished[4];
static_assert(std::atomic<int>::is_always_lock_free);

int Remember(int folder, const std::string& name) {
    if (name.size() >= sizeof unfinished[0].name)
        return -1;
    for (int i = 0; i < 4; ++i) {
        int expected = -1;
        // -2 holds the slot while its name is copied; a handler skips it.
        if (unfinished[i].folder.compare_exchange_strong(expected, -2)) {
            std::memcpy(unfinished[i].name, name.c_str(), name.size() + 1);
            unfinished[i].folder.store(folder);
            return i;
        }
    }
    return -1;
}

void Forget(int slot) {
    if (slot >= 0)
        unfinished[slot].folder.store(-1);
}

// Where the file system has no unnamed files: "<name>.part", created exclusively.
class PartNamedFile final : public TargetFolder::NewFile {
public:
    PartNamedFile(int folder, std::string part, std::FILE* stream)
        : folder_(folder), part_(std::move(part)), stream_(stream), slot_(Remember(folder, part_)) {
    }
    ~PartNamedFile() override {
        Forget(slot_);
        if (!stream_)
            return;
        std::fclose(stream_);
        ::unlinkat(folder_, part_.c_str(), 0);
    }
    std::FILE* Stream() noexcept override { return stream_; }

    bool Commit(const fs::path& name, bool replace, int& error) override {
        bool renamed = false;
        if (replace) {
            renamed = ::renameat(folder_, part_.c_str(), folder_, name.c_str()) == 0;
        } else {
            renamed =
                ::renameat2(folder_, part_.c_str(), folder_, name.c_str(), RENAME_NOREPLACE) == 0;
            // A file system without the flag: a hard link fails on an existing name too.
            if (!renamed && (errno == EINVAL || errno == ENOSYS) &&
                ::linkat(folder_, part_.c_str(), folder_, name.c_str(), 0) == 0) {
                ::unlinkat(folder_, part_.c_str(), 0);
                renamed = true;
            }
        }
        if (!renamed) {
            error = errno;
            return false;
        }
        Forget(std::exchange(slot_, -1));
        const bool closed = std::fclose(std::exchange(stream_, nullptr)) == 0;
        if (!closed)
            error = errno;
        return closed;
    }

private:
    int folder_;
    std::string part_;
    std::FILE* stream_;
    int slot_;
};

bool UnnamedFilesWork() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

} // namespace

void RemoveUnfinishedFilesNow() noexcept {
    for (UnfinishedSlot& slot : unfinished) {
        const int folder = slot.folder.load();
        if (folder >= 0)
            ::unlinkat(folder, slot.name, 0);
    }
}

TargetFolder::TargetFolder() noexcept = default;
TargetFolder::~TargetFolder() = default;
TargetFolder::TargetFolder(TargetFolder&&) noexcept = default;
TargetFolder& TargetFolder::operator=(TargetFolder&&) noexcept = default;

bool TargetFolder::IsOpen() const noexcept {
    return native_ != nullptr;
}

std::optional<TargetFolder> TargetFolder::Open(const fs::path& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    TargetFolder folder;
    folder.native_ = std::make_unique<Native>(fd);
    folder.path_ = path;
    return folder;
}

std::optional<TargetFolder> TargetFolder::OpenChild(const fs::path& name, bool create,
                                                    int& error) const {
    int fd = ::openat(native_->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(native_->fd, name.c_str(), 0777) != 0 && errno != EEXIST) {
            error = errno;
            return std::nullopt;
        }
        fd = ::openat(native_->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    TargetFolder folder;
    folder.native_ = std::make_unique<Native>(fd);
    folder.path_ = path_ / name;
    return folder;
}

FileIdentity TargetFolder::Identity() const {
    struct stat info {};
    ::fstat(native_->fd, &info);
    return IdentityOfStat(info);
}

std::vector<FileIdentity> TargetFolder::Ancestors() const {
    std::vector<FileIdentity> ancestors;
    FileIdentity below = Identity();
    int at = ::dup(native_->fd);
    // The root is its own parent; a bound on the depth guards against a loop all the same.
    for (int depth = 0; at >= 0 && depth < 4096; ++depth) {
        const int parent = ::openat(at, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(at);
        at = parent;
        struct stat info {};
        if (at < 0 || ::fstat(at, &info) != 0)
            break;
        const FileIdentity identity = IdentityOfStat(info);
        if (identity == below)
            break;
        ancestors.push_back(identity);
        below = identity;
    }
    if (at >= 0)
        ::close(at);
    return ancestors;
}

bool TargetFolder::Holds(const fs::path& name) const {
    struct stat info {};
    return ::fstatat(native_->fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool TargetFolder::HoldsOtherThanFile(const fs::path& name) const {
    struct stat info {};
    // A dangling link leads nowhere: replacing it replaces the link alone.
    return ::fstatat(native_->fd, name.c_str(), &info, 0) == 0 && !S_ISREG(info.st_mode);
}

std::optional<FileIdentity> TargetFolder::IdentityOfName(const fs::path& name) const {
    struct stat info {};
    if (::fstatat(native_->fd, name.c_str(), &info, 0) != 0)
        return std::nullopt;
    return IdentityOfStat(info);
}

std::vector<fs::path> TargetFolder::Names() const {
    std::vector<fs::path> names;
    const int fd = ::openat(native_->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return names;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

void TargetFolder::Remove(const fs::path& name) const noexcept {
    ::unlinkat(native_->fd, name.c_str(), 0);
}

std::unique_ptr<TargetFolder::NewFile> TargetFolder::StartFile(const fs::path& name,
                                                               int& error) const {
    if (UnnamedFilesWork()) {
        const int fd = ::openat(native_->fd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::FILE* stream = StreamOver(fd, error);
            return stream ? std::make_unique<UnnamedFile>(native_->fd, stream) : nullptr;
        }
    }
    // "<name>.part" itself first, then "<name>.2.part" on: whatever holds a name stays as
    // it is, ours or not. O_EXCL with O_NOFOLLOW refuses a link, dangling or not.
    std::string part = name.string() + ".part";
    for (int n = 2; n <= 101; ++n) {
        const int fd = ::openat(native_->fd, part.c_str(),
                                O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::FILE* stream = StreamOver(fd, error);
            if (!stream) {
                ::unlinkat(native_->fd, part.c_str(), 0);
                return nullptr;
            }
            return std::make_unique<PartNamedFile>(native_->fd, part, stream);
        }
        if (errno != EEXIST)
            break;
        part = name.string() + "." + std::to_string(n) + ".part";
    }
    error = errno;
    return nullptr;
}

} // namespace voice
