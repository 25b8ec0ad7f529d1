#pragma once
// The archive is never written. This is the one place that says which directories are
// the archive and whether a target lies inside one; the window, the export, the merge,
// the saved list and voice-export all ask it. Portable.

#include <array>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/channel_dir_table.h"
#include "catalogue/directory_enumerator.h"
#include "platform/file_identity.h"
#include "platform/target_folder.h"

namespace voice::exporting {

// A channel's base directory as the archive.
struct ArchiveBase {
    int channel = 0;         // 1..8
    std::wstring configured; // as the table holds it
    // The directory the search enters for it (links resolved), or, when it cannot be
    // entered now, the configured spelling made absolute against the start directory.
    std::filesystem::path path;
    bool entered = false;
};

// Every channel base that is set (changed from the table's default) or searched, each
// entered exactly as the search enters it: through enumerator, from startDir (which is
// the current directory again afterwards).
std::vector<ArchiveBase> FindArchiveBases(const ChannelDirTable& table,
                                          const std::array<bool, 8>& searched,
                                          DirectoryEnumerator& enumerator,
                                          const std::wstring& startDir);
// The paths of the bases, for the export commands.
std::vector<std::filesystem::path> ArchivePaths(const std::vector<ArchiveBase>& bases);

// The identities of everything a target would be written below: each existing prefix of
// its absolute spelling and every directory above the deepest one as the system finds
// it (so a link in the path counts by where it leads). Target first.
std::vector<FileIdentity> ExistingAncestors(const std::filesystem::path& target);

// True when target is base or lies below it: by identity along the target's existing
// ancestors (whatever the spelling, links followed), or by its spelling with case ignored
// as Windows and the search compare names (so a target cannot create a base that is not
// there, nor a case variant the search would take for it).
bool IsInside(const std::filesystem::path& target, const std::filesystem::path& base);

// Throws WriteRefused with the Russian message when target lies inside any base.
void RefuseArchiveTarget(const std::filesystem::path& target,
                         const std::vector<std::filesystem::path>& archiveBases);

// Of files, the first that one of the names listed in folder leads to (links followed).
// A name listed with a file index that is none of theirs is ruled out without opening
// it; any other is opened through identityOf. So a folder of plain recordings on a local
// NTFS volume costs one listing, not one open a recording.
std::optional<std::size_t> FirstNamedIn(
    const std::filesystem::path& folder, const std::vector<ListedName>& names,
    const std::vector<FileIdentity>& files,
    const std::function<std::optional<FileIdentity>(const std::filesystem::path&)>& identityOf);

// The archive as identities: every base and every folder the search can enter from it
// (its day folders, links followed), so a folder reached by any spelling, link or mount
// is known for what it is. Every writer opens its folder through OpenTarget, which
// judges the opened handle, never a path.
class Archive {
public:
    Archive() = default;
    explicit Archive(const std::vector<ArchiveBase>& bases);
    // Bases given as paths (each taken as entered when it exists).
    Archive(std::initializer_list<std::filesystem::path> bases);
    explicit Archive(const std::vector<std::filesystem::path>& bases);

    const std::vector<std::filesystem::path>& BasePaths() const noexcept { return basePaths_; }

    // The folder is a base, a folder of one, or lies below either: by its own identity
    // and those of the folders above it as the system finds them from the handle.
    bool Holds(const TargetFolder& folder) const;
    // file (links followed) is a recording in one of the archive's folders.
    bool HoldsRecording(const FileIdentity& file) const;

    // The folder that path names, opened once and judged; the folders missing on the way
    // are made (when create) each only inside a folder already judged. Throws
    // WriteRefused with the user's message when it is the archive or cannot be opened.
    TargetFolder OpenTarget(const std::filesystem::path& path, bool create) const;
    // Throws WriteRefused when one of names in folder is a recording of the archive or
    // one of sources: a file that is replaced must never be one read. The archive is
    // looked through once for all the names.
    void RefuseReplacing(const TargetFolder& folder,
                         std::initializer_list<std::filesystem::path> names,
                         const std::vector<FileIdentity>& sources = {}) const;

private:
    // Of files, the first that is a recording in one of the archive's folders.
    std::optional<std::size_t> FirstRecordingOf(const std::vector<FileIdentity>& files) const;

    void Add(const std::filesystem::path& base);
    [[noreturn]] void Refuse(const std::filesystem::path& target,
                             const std::filesystem::path& base) const;

    std::vector<std::filesystem::path> basePaths_;
    // The base that each folder belongs to.
    std::optional<std::filesystem::path> HolderOf(const TargetFolder& folder) const;

    std::vector<std::pair<FileIdentity, std::filesystem::path>> folders_;
    std::vector<std::filesystem::path> recordingFolders_;
};

} // namespace voice::exporting
