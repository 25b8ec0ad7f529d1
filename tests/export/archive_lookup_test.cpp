// Telling whether a file is one of the archive's recordings: the listing may rule names
// out unopened, but never a name that leads to the file.

#include <gtest/gtest.h>

#include <map>

#include "export/archive_guard.h"
#include "export/export_job.h"
#include "export_fixture.h"

namespace voice::exporting::test {
namespace {

struct LookupCase {
    const char* name;
    std::vector<ListedName> listed;
    std::map<std::wstring, FileIdentity> leadsTo; // what opening a name finds
    std::optional<std::size_t> found;
    std::vector<std::wstring> opened;
};

TEST(FirstNamedInTest, OnlyNamesListedWithAnotherIndexGoUnopened) {
    const FileIdentity file{1, 7}, elsewhere{2, 7};
    const std::vector<LookupCase> cases = {
        {"another index", {{L"a", 9}}, {}, {}, {}},
        {"a link", {{L"l", {}}}, {{L"l", file}}, 0, {L"l"}},
        {"the same index", {{L"a", 9}, {L"b", 7}}, {{L"b", file}}, 0, {L"b"}},
        {"the same index elsewhere", {{L"a", 7}}, {{L"a", elsewhere}}, {}, {L"a"}},
        {"cannot be opened", {{L"g", {}}}, {}, {}, {L"g"}},
    };
    for (const LookupCase& c : cases) {
        std::vector<std::wstring> opened;
        const auto found = FirstNamedIn(L"day", c.listed, {file}, [&](const fs::path& path) {
            opened.push_back(path.filename().wstring());
            const auto it = c.leadsTo.find(path.filename().wstring());
            return it == c.leadsTo.end() ? std::nullopt : std::optional(it->second);
        });
        EXPECT_EQ(found, c.found) << c.name;
        EXPECT_EQ(opened, c.opened) << c.name;
    }
}

// On Windows the names of a local folder come with the index that opening them gives,
// so the archive's plain recordings are ruled out by one listing; elsewhere none does.
TEST(ListFolderTest, PlainNamesComeWithTheIndexTheirIdentityHas) {
    TempFolder folder;
    WriteFile(folder.Path() / L"a.1", Bytes(10, 0x80));
    fs::create_hard_link(folder.Path() / L"a.1", folder.Path() / L"b.1");
    fs::create_directory(folder.Path() / L"day");
    const std::vector<ListedName> listed = ListFolder(folder.Path());
    ASSERT_EQ(listed.size(), 3u);
    for (const ListedName& name : listed) {
#ifdef _WIN32
        ASSERT_TRUE(name.fileIndex.has_value()) << name.name;
        EXPECT_EQ(*name.fileIndex, IdentityOf(folder.Path() / name.name)->file) << name.name;
#else
        EXPECT_FALSE(name.fileIndex.has_value()) << name.name;
#endif
    }
}

// A recording by another name outside the archive (a hard link) is never replaced, even
// when the command does not read it.
TEST(ArchiveGuardTest, AHardLinkToARecordingIsNeverReplaced) {
    TempFolder archive, out;
    const fs::path base = archive.Path() / L"kanal1";
    const std::wstring line =
        AddRecording(base / L"QC7", 1, {2026, 12, 7, 9, 0, 0}, Bytes(100, 0x81));
    const fs::path recording =
        AddRecording(base / L"QC7", 1, {2026, 12, 7, 9, 1, 0}, Bytes(100, 0x80)).substr(80);
    fs::create_hard_link(recording, out.Path() / L"all.wav");
    RecordingProgress progress;
    EXPECT_THROW(MergeRecordings({line}, out.Path() / L"all.wav", {base}, progress, true),
                 WriteRefused);
    EXPECT_EQ(ReadFile(recording), Bytes(100, 0x80));
}

} // namespace
} // namespace voice::exporting::test
