#include "export/archive_guard.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <system_error>

#include "platform/safe_file.h"
#include "export/export_job.h"
#include "export/export_names.h"

namespace voice::exporting {
namespace {

namespace fs = std::filesystem;

bool SameComponent(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && FoldName(a) == FoldName(b);
}

fs::path Absolute(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute;
}

fs::path Canonical(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = Absolute(path);
    fs::path canonical = fs::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

// The path's components without the empty one a trailing separator leaves.
std::vector<std::wstring> Components(const fs::path& path) {
    std::vector<std::wstring> parts;
    for (const auto& part : path) {
        std::wstring text = WideFromPath(part);
        if (!text.empty())
            parts.push_back(std::move(text));
    }
    return parts;
}

bool IsInsideBySpelling(const fs::path& target, const fs::path& base) {
    const auto targetParts = Components(Canonical(target));
    const auto baseParts = Components(Canonical(base));
    if (baseParts.empty() || baseParts.size() > targetParts.size())
        return false;
    for (std::size_t i = 0; i < baseParts.size(); ++i)
        if (!SameComponent(targetParts[i], baseParts[i]))
            return false;
    return true;
}

bool Contains(const std::vector<FileIdentity>& identities, const FileIdentity& identity) {
    return std::find(identities.begin(), identities.end(), identity) != identities.end();
}

// The table's untouched entry ("c:\") is no archive unless its channel is searched: taken
// as one, it would refuse every target on drive C.
bool IsSet(const std::string& entry, const std::string& untouched) {
    return !std::equal(
        entry.begin(), entry.end(), untouched.begin(), untouched.end(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
        });
}

std::wstring RefusalText(const fs::path& target, const fs::path& base) {
    return L"Запись в архив запрещена: «" + WideFromPath(target) +
           L"» находится в каталоге канала «" + WideFromPath(base) + L"». Выберите другое место.";
}

} // namespace

std::vector<ArchiveBase> FindArchiveBases(const ChannelDirTable& table,
                                          const std::array<bool, 8>& searched,
                                          DirectoryEnumerator& enumerator,
                                          const std::wstring& startDir) {
    const ChannelDirTable untouched;
    std::vector<ArchiveBase> bases;
    for (int k = 0; k < ChannelDirTable::kEntryCount; ++k) {
        const std::string entry = table.GetChannelDirBytes(k);
        if (entry.empty() || (!searched[static_cast<std::size_t>(k)] &&
                              !IsSet(entry, untouched.GetChannelDirBytes(k))))
            continue;
        ArchiveBase base;
        base.channel = k + 1;
        base.configured = enumerator.AnsiToWideText(entry);
        // Entered as the search enters it (on Linux: path components matched ignoring
        // case), so the guard judges the very directory the search reads.
        if (enumerator.ChangeDirectory(startDir) && enumerator.ChangeDirectory(base.configured)) {
            std::error_code error;
            base.path = fs::current_path(error);
            base.entered = !error;
        }
        if (!base.entered)
            base.path = PathFromWide(startDir) / PathFromWide(base.configured);
        bases.push_back(std::move(base));
    }
    enumerator.ChangeDirectory(startDir);
    return bases;
}

std::vector<fs::path> ArchivePaths(const std::vector<ArchiveBase>& bases) {
    std::vector<fs::path> paths;
    for (const ArchiveBase& base : bases)
        paths.push_back(base.path);
    return paths;
}

std::vector<FileIdentity> ExistingAncestors(const fs::path& target) {
    std::vector<FileIdentity> identities;
    fs::path prefix, deepest;
    for (const auto& part : Absolute(target)) {
        prefix /= part;
        if (const auto identity = IdentityOf(prefix)) {
            identities.push_back(*identity);
            deepest = prefix;
        }
    }
    if (const auto physical = PhysicalPath(deepest)) {
        for (fs::path at = *physical;; at = at.parent_path()) {
            if (const auto identity = IdentityOf(at))
                identities.push_back(*identity);
            if (at == at.parent_path() || at.empty())
                break;
        }
    }
    return identities;
}

bool IsInside(const fs::path& target, const fs::path& base) {
    if (base.empty())
        return false;
    const auto identity = IdentityOf(base);
    return (identity && Contains(ExistingAncestors(target), *identity)) ||
           IsInsideBySpelling(target, base);
}

void RefuseArchiveTarget(const fs::path& target, const std::vector<fs::path>& archiveBases) {
    const std::vector<FileIdentity> ancestors = ExistingAncestors(target);
    for (const auto& base : archiveBases) {
        if (base.empty())
            continue;
        const auto identity = IdentityOf(base);
        if ((identity && Contains(ancestors, *identity)) || IsInsideBySpelling(target, base))
            throw WriteRefused(RefusalText(target, base));
    }
}

Archive::Archive(const std::vector<ArchiveBase>& bases) {
    for (const ArchiveBase& base : bases)
        Add(base.path);
}

Archive::Archive(std::initializer_list<fs::path> bases) {
    for (const fs::path& base : bases)
        Add(base);
}

Archive::Archive(const std::vector<fs::path>& bases) {
    for (const fs::path& base : bases)
        Add(base);
}

void Archive::Add(const fs::path& base) {
    if (base.empty())
        return;
    basePaths_.push_back(base);
    const auto identity = IdentityOf(base);
    if (!identity)
        return; // known by its spelling alone: nothing can be below it yet
    folders_.emplace_back(*identity, base);
    // Every folder the search can enter from the base, links followed: a day folder
    // stored elsewhere is the archive wherever it is reached from.
    std::error_code error;
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        if (const auto folder = IdentityOf(it->path())) {
            folders_.emplace_back(*folder, base);
            recordingFolders_.push_back(it->path());
        }
    }
}

[[noreturn]] void Archive::Refuse(const fs::path& target, const fs::path& base) const {
    throw WriteRefused(RefusalText(target, base));
}

std::optional<fs::path> Archive::HolderOf(const TargetFolder& folder) const {
    std::vector<FileIdentity> held = folder.Ancestors();
    held.insert(held.begin(), folder.Identity());
    for (const FileIdentity& identity : held)
        for (const auto& [archived, base] : folders_)
            if (archived == identity)
                return base;
    return std::nullopt;
}

bool Archive::Holds(const TargetFolder& folder) const {
    return HolderOf(folder).has_value();
}

bool Archive::HoldsRecording(const FileIdentity& file) const {
    return FirstRecordingOf({file}).has_value();
}

std::optional<std::size_t>
FirstNamedIn(const fs::path& folder, const std::vector<ListedName>& names,
             const std::vector<FileIdentity>& files,
             const std::function<std::optional<FileIdentity>(const fs::path&)>& identityOf) {
    for (const ListedName& listed : names) {
        if (listed.fileIndex &&
            std::none_of(files.begin(), files.end(),
                         [&](const FileIdentity& file) { return file.file == *listed.fileIndex; }))
            continue;
        // The index alone is not the identity (another volume may have the same): opened.
        if (const auto identity = identityOf(folder / listed.name)) {
            const auto found = std::find(files.begin(), files.end(), *identity);
            if (found != files.end())
                return static_cast<std::size_t>(found - files.begin());
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> Archive::FirstRecordingOf(const std::vector<FileIdentity>& files) const {
    for (const fs::path& folder : recordingFolders_)
        if (const auto found = FirstNamedIn(folder, ListFolder(folder), files, IdentityOf))
            return found;
    return std::nullopt;
}

TargetFolder Archive::OpenTarget(const fs::path& path, bool create) const {
    const fs::path absolute = Absolute(path).lexically_normal();
    // A spelling below a base is refused even where nothing is there yet.
    RefuseArchiveTarget(absolute, basePaths_);
    auto refuseHeld = [&](const TargetFolder& folder) {
        if (const auto base = HolderOf(folder))
            Refuse(path, *base);
    };
    auto cannotOpen = [&](int error) {
        const std::wstring reason = SystemErrorText(error);
        return WriteRefused(L"Не удалось открыть папку «" + WideFromPath(path) + L"»" +
                             (reason.empty() ? L"" : L": " + reason) + L".");
    };
    int error = 0;
    if (auto folder = TargetFolder::Open(absolute, error)) {
        refuseHeld(*folder);
        return std::move(*folder);
    }
    if (!create || error != ENOENT)
        throw cannotOpen(error);
    // The deepest folder that is there, then each missing one made inside the last.
    std::vector<fs::path> missing;
    fs::path at = absolute;
    std::optional<TargetFolder> folder;
    while (!folder) {
        if (at == at.parent_path() || at.empty())
            throw cannotOpen(error);
        missing.push_back(at.filename());
        at = at.parent_path();
        error = 0;
        folder = TargetFolder::Open(at, error);
        if (!folder && error != ENOENT)
            throw cannotOpen(error);
    }
    for (auto name = missing.rbegin(); name != missing.rend(); ++name) {
        if (name->empty())
            continue;
        refuseHeld(*folder);
        folder = folder->OpenChild(*name, true, error);
        if (!folder)
            throw cannotOpen(error);
    }
    refuseHeld(*folder);
    return std::move(*folder);
}

void Archive::RefuseReplacing(const TargetFolder& folder, std::initializer_list<fs::path> names,
                              const std::vector<FileIdentity>& sources) const {
    const auto refuse = [&](const fs::path& name) {
        throw WriteRefused(L"Файл «" + WideFromPath(folder.Path() / name) +
                           L"» - запись архива, он не будет заменён.");
    };
    std::vector<fs::path> present;
    std::vector<FileIdentity> identities;
    for (const fs::path& name : names)
        if (const auto identity = folder.IdentityOfName(name)) {
            if (Contains(sources, *identity))
                refuse(name);
            present.push_back(name);
            identities.push_back(*identity);
        }
    if (!identities.empty())
        if (const auto found = FirstRecordingOf(identities))
            refuse(present[*found]);
}

} // namespace voice::exporting
