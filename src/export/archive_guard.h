#pragma once
// The archive is never written. This is the one place that says which directories are
// the archive and whether a target lies inside one; the window, the export, the merge,
// the saved list and voice-export all ask it. Portable.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/channel_dir_table.h"
#include "catalogue/directory_enumerator.h"
#include "export/file_identity.h"

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

// Throws ExportRefused with the Russian message when target lies inside any base.
void RefuseArchiveTarget(const std::filesystem::path& target,
                         const std::vector<std::filesystem::path>& archiveBases);

} // namespace voice::exporting
