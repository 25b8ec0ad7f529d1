// The folder a command writes into is refused when it is the archive by either of two
// ways of finding it: the folders its path spells (a link inside a channel's folder counts
// as the channel's folder, wherever it leads), and the folders above it as the system finds
// them from the folder itself (a folder below a day folder kept elsewhere). Refused, it is
// not made either.

#include <gtest/gtest.h>

#include "export/archive_guard.h"
#include "export/export_job.h"
#include "export_fixture.h"

namespace voice::exporting::test {
namespace {

#ifndef _WIN32
struct GuardCase {
    const char* name;
    fs::path target;
    bool create;
};

TEST(ArchiveGuardTest, ATargetBelowTheArchiveByItsPathOrByItsFolderIsRefused) {
    TempFolder archive, store, outside;
    const fs::path base = archive.Path() / "kanal1";
    AddRecording(base / "QC7", 1, {2026, 12, 7, 9, 0, 0}, Bytes(100, 0x80));
    // A link in a day folder that leads out of the archive.
    fs::create_directory_symlink(outside.Path(), base / "QC7" / "out");
    // A day folder kept elsewhere, with a folder of its own inside.
    fs::create_directories(store.Path() / "QC8" / "sub");
    fs::create_directory_symlink(store.Path() / "QC8", base / "QC8");
    const Archive guard({base});

    const GuardCase cases[] = {
        {"through a link out of a day folder", base / "QC7" / "out", false},
        {"a new folder through that link", base / "QC7" / "out" / "new", true},
        {"below a day folder kept elsewhere", store.Path() / "QC8" / "sub", false},
        {"a new folder there", store.Path() / "QC8" / "sub" / "new", true},
    };
    for (const GuardCase& c : cases) {
        try {
            guard.OpenTarget(c.target, c.create);
            ADD_FAILURE() << c.name << ": not refused";
        } catch (const WriteRefused& refused) {
            EXPECT_NE(refused.Text().find(L"Запись в архив запрещена"), std::wstring::npos)
                << c.name;
        }
    }
    EXPECT_TRUE(fs::is_empty(outside.Path()));
    EXPECT_TRUE(fs::is_empty(store.Path() / "QC8" / "sub"));
    // The same folders are fine to write where nothing of the archive leads to them.
    EXPECT_NO_THROW(guard.OpenTarget(outside.Path(), false));
}
#endif

} // namespace
} // namespace voice::exporting::test
