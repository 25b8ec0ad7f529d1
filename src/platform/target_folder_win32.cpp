#include "platform/listed_entries_win32.h"
#include "platform/target_folder.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <winternl.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <utility>

namespace voice {
namespace {

namespace fs = std::filesystem;

// What NtCreateFile takes that the Win32 headers leave to the driver kit.
constexpr ULONG kFileOpen = 1;
constexpr ULONG kFileCreate = 2;
constexpr ULONG kFileOpenIf = 3;
constexpr ULONG kDirectoryFile = 0x1;
constexpr ULONG kSynchronousIo = 0x20;
constexpr ULONG kNonDirectoryFile = 0x40;
constexpr ULONG kOpenReparsePoint = 0x200000;

// The system's reason as the C runtime's error number, which the error texts take.
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EIO;
    }
}

// name opened relative to folder: the folder's path is never spelt again.
FileHandle OpenRelative(HANDLE folder, const fs::path& name, ACCESS_MASK access, ULONG share,
                        ULONG disposition, ULONG options, int& error) {
    const std::wstring text = name.wstring();
    UNICODE_STRING unicode{};
    unicode.Buffer = const_cast<PWSTR>(text.c_str());
    unicode.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    unicode.MaximumLength = unicode.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &unicode, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    const NTSTATUS result = ::NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status,
                                           nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                                           options | kSynchronousIo, nullptr, 0);
    if (result < 0) {
        error = ErrnoOf(::RtlNtStatusToDosError(result));
        return FileHandle();
    }
    return FileHandle(handle);
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                            info.nFileIndexLow};
}

bool MarkForDeletion(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = remove ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) != FALSE;
}

// Folders are held without FILE_SHARE_DELETE: no one can rename or remove them while
// the program writes into them.
constexpr ULONG kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES |
                                      FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | DELETE;

// A new file marked to go when its handle closes, whoever closes it (a killed process
// included); the mark is cleared only as it is given its name.
class MarkedFile final : public TargetFolder::NewFile {
public:
    MarkedFile(HANDLE folder, std::FILE* stream) : folder_(folder), stream_(stream) {}
    ~MarkedFile() override {
        if (stream_)
            std::fclose(stream_);
    }
    std::FILE* Stream() noexcept override { return stream_; }

    bool Commit(const fs::path& name, bool replace, int& error) override {
        const HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream_)));
        const std::wstring text = name.wstring();
        std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFO) + text.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = replace ? TRUE : FALSE;
        info->RootDirectory = folder_;
        info->FileNameLength = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        std::memcpy(info->FileName, text.c_str(), info->FileNameLength);
        if (std::fflush(stream_) != 0 || !MarkForDeletion(file, false)) {
            error = EIO;
            return false;
        }
        // The system's own call: the Win32 wrapper may take the name against the current
        // directory instead of the folder handle.
        IO_STATUS_BLOCK status{};
        const NTSTATUS renamed = ::NtSetInformationFile(
            file, &status, info, static_cast<ULONG>(buffer.size()), FileRenameInformation);
        if (renamed < 0) {
            error = ErrnoOf(::RtlNtStatusToDosError(renamed));
            MarkForDeletion(file, true);
            return false;
        }
        const bool closed = std::fclose(std::exchange(stream_, nullptr)) == 0;
        if (!closed)
            error = errno;
        return closed;
    }

private:
    HANDLE folder_;
    std::FILE* stream_;
};

} // namespace

void RemoveUnfinishedFilesNow() noexcept {
    // Every unfinished file is marked to go when its handle closes, as the process ends.
}

struct TargetFolder::Native {
    FileHandle handle;
};

TargetFolder::TargetFolder() noexcept = default;
TargetFolder::~TargetFolder() = default;
TargetFolder::TargetFolder(TargetFolder&&) noexcept = default;
TargetFolder& TargetFolder::operator=(TargetFolder&&) noexcept = default;

bool TargetFolder::IsOpen() const noexcept {
    return native_ != nullptr;
}

std::optional<TargetFolder> TargetFolder::Open(const fs::path& path, int& error) {
    FileHandle handle(::CreateFileW(path.c_str(), kFolderAccess, kFolderShare, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        // Without the right to delete below it (a read-only share) the folder still opens.
        handle =
            FileHandle(::CreateFileW(path.c_str(), kFolderAccess & ~DELETE, kFolderShare, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle) {
        error = ErrnoOf(::GetLastError());
        return std::nullopt;
    }
    if (!::GetFileInformationByHandle(handle.Get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = ENOTDIR;
        return std::nullopt;
    }
    TargetFolder folder;
    folder.native_ = std::make_unique<Native>(Native{std::move(handle)});
    folder.path_ = path;
    return folder;
}

std::optional<TargetFolder> TargetFolder::OpenChild(const fs::path& name, bool create,
                                                    int& error) const {
    FileHandle handle = OpenRelative(native_->handle.Get(), name, kFolderAccess, kFolderShare,
                                     create ? kFileOpenIf : kFileOpen, kDirectoryFile, error);
    if (!handle)
        return std::nullopt;
    TargetFolder folder;
    folder.native_ = std::make_unique<Native>(Native{std::move(handle)});
    folder.path_ = path_ / name;
    return folder;
}

FileIdentity TargetFolder::Identity() const {
    return IdentityOfHandle(native_->handle.Get()).value_or(FileIdentity{});
}

std::vector<FileIdentity> TargetFolder::Ancestors() const {
    std::vector<FileIdentity> ancestors;
    std::vector<wchar_t> buffer(32768);
    const DWORD n = ::GetFinalPathNameByHandleW(native_->handle.Get(), buffer.data(),
                                                static_cast<DWORD>(buffer.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= buffer.size())
        return ancestors;
    // The folder itself cannot move while held, so its parents are where its final
    // path says.
    fs::path at = fs::path(std::wstring(buffer.data(), n)).parent_path();
    // Up to the root ("C:\"), never past it to "C:", which names a current directory.
    for (int depth = 0; depth < 4096 && !at.empty(); ++depth) {
        if (const auto identity = IdentityOf(at))
            ancestors.push_back(*identity);
        if (!at.has_relative_path())
            break;
        at = at.parent_path();
    }
    return ancestors;
}

bool TargetFolder::Holds(const fs::path& name) const {
    int error = 0;
    return static_cast<bool>(OpenRelative(native_->handle.Get(), name, FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          kFileOpen, kOpenReparsePoint, error)) ||
           error == EACCES;
}

bool TargetFolder::HoldsOtherThanFile(const fs::path& name) const {
    int error = 0;
    const FileHandle handle =
        OpenRelative(native_->handle.Get(), name, FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileOpen, 0, error);
    if (!handle)
        return false;
    FILE_BASIC_INFO info{};
    if (::GetFileInformationByHandleEx(handle.Get(), FileBasicInfo, &info, sizeof info) &&
        (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return true;
    return ::GetFileType(handle.Get()) != FILE_TYPE_DISK;
}

std::optional<FileIdentity> TargetFolder::IdentityOfName(const fs::path& name) const {
    int error = 0;
    const FileHandle handle =
        OpenRelative(native_->handle.Get(), name, FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileOpen, 0, error);
    return handle ? IdentityOfHandle(handle.Get()) : std::nullopt;
}

std::vector<fs::path> TargetFolder::Names() const {
    std::vector<fs::path> names;
    // A handle of its own, so the listing starts afresh each time.
    int error = 0;
    const FileHandle listing = OpenRelative(native_->handle.Get(), fs::path(), FILE_LIST_DIRECTORY,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            kFileOpen, kDirectoryFile, error);
    if (!listing)
        return names;
    ForEachListed<FILE_FULL_DIR_INFO>(
        listing.Get(), FileFullDirectoryRestartInfo, FileFullDirectoryInfo,
        [&](const FILE_FULL_DIR_INFO&, std::wstring_view name) { names.emplace_back(name); });
    return names;
}

void TargetFolder::Remove(const fs::path& name) const noexcept {
    int error = 0;
    const FileHandle handle = OpenRelative(native_->handle.Get(), name, DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           kFileOpen, kNonDirectoryFile | kOpenReparsePoint, error);
    if (handle)
        MarkForDeletion(handle.Get(), true);
}

std::unique_ptr<TargetFolder::NewFile> TargetFolder::StartFile(const fs::path& name,
                                                               int& error) const {
    // A name of its own while unfinished, as a rename needs one: "<name>.part" first.
    for (int n = 1; n <= 101; ++n) {
        fs::path part = name;
        part += n == 1 ? L".part" : L"." + std::to_wstring(n) + L".part";
        FileHandle file =
            OpenRelative(native_->handle.Get(), part, GENERIC_READ | GENERIC_WRITE | DELETE,
                         FILE_SHARE_READ, kFileCreate, kNonDirectoryFile, error);
        if (!file) {
            if (error == EEXIST)
                continue;
            return nullptr;
        }
        if (!MarkForDeletion(file.Get(), true)) {
            error = EACCES;
            return nullptr;
        }
        const int fd =
            ::_open_osfhandle(reinterpret_cast<intptr_t>(file.Get()), _O_RDWR | _O_BINARY);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        file.Release();
        std::FILE* stream = ::_fdopen(fd, "w+b");
        if (!stream) {
            error = errno;
            ::_close(fd);
            return nullptr;
        }
        return std::make_unique<MarkedFile>(native_->handle.Get(), stream);
    }
    return nullptr;
}

} // namespace voice
