#pragma once
// A folder the program writes into, opened once and held: every file is created, named
// and looked up relative to this handle, never again by the folder's path, so a folder
// swapped, renamed or mounted over after it was judged cannot redirect a write. POSIX:
// a directory descriptor and the *at calls; Windows: a directory handle that does not
// let the folder be renamed or deleted while it is held, with names relative to it.
// target_folder_posix.cpp and target_folder_win32.cpp.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_identity.h"

namespace voice {

class TargetFolder {
public:
    TargetFolder() noexcept;
    ~TargetFolder();
    TargetFolder(TargetFolder&&) noexcept;
    TargetFolder& operator=(TargetFolder&&) noexcept;

    // The folder path names (links followed); nullopt and error (errno) when it cannot
    // be opened as a folder.
    static std::optional<TargetFolder> Open(const std::filesystem::path& path, int& error);
    // The folder name inside this one, made first when create and missing. A folder
    // made here is opened without following a link, so it is the one just made.
    std::optional<TargetFolder> OpenChild(const std::filesystem::path& name, bool create,
                                          int& error) const;

    bool IsOpen() const noexcept;
    // The path it was opened by, for messages only.
    const std::filesystem::path& Path() const noexcept { return path_; }
    FileIdentity Identity() const;
    // The identities of the folders above this one as the system finds them from the
    // handle (its ".."), nearest first, up to the root of the file system.
    std::vector<FileIdentity> Ancestors() const;

    // A name (a file, a folder or a link, dangling or not) is there.
    bool Holds(const std::filesystem::path& name) const;
    // The name leads (links followed) to something that is not a regular file: a device,
    // a pipe, a socket or a folder. Such a name is never replaced.
    bool HoldsOtherThanFile(const std::filesystem::path& name) const;
    // What the name leads to (links followed); nullopt when nothing.
    std::optional<FileIdentity> IdentityOfName(const std::filesystem::path& name) const;
    // The names in the folder, "." and ".." left out.
    std::vector<std::filesystem::path> Names() const;
    void Remove(const std::filesystem::path& name) const noexcept;

    // A new file for writing, named only by Commit: where the system allows, it has no
    // name at all until then (POSIX: O_TMPFILE) or is marked to go when closed
    // (Windows), so even a killed process leaves nothing; elsewhere it is created
    // exclusively as "<name>.part" (or "<name>.2.part"... when that is held).
    class NewFile;
    std::unique_ptr<NewFile> StartFile(const std::filesystem::path& name, int& error) const;

private:
    struct Native;
    std::unique_ptr<Native> native_;
    std::filesystem::path path_;
};

class TargetFolder::NewFile {
public:
    virtual ~NewFile() = default;
    // The stream to write; owned by the file, open until Commit or destruction.
    virtual std::FILE* Stream() noexcept = 0;
    // Flushed and complete: gives it name in the folder (over an existing file only when
    // replace) and closes it. False and errno-style error when the name is taken or the
    // system refused; the file is then still uncommitted.
    virtual bool Commit(const std::filesystem::path& name, bool replace, int& error) = 0;
};

// Removes every unfinished named file of this process at once; safe in a signal handler,
// for a program about to end without unwinding. Unnamed files need nothing.
void RemoveUnfinishedFilesNow() noexcept;

} // namespace voice
