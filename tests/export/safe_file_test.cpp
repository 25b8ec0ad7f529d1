// The one way files are written: never into what is there, never replacing unless asked,
// and never a short file under its final name.
#include <gtest/gtest.h>

#include <functional>

#include "platform/safe_file.h"
#include "export/export_job.h"
#include "export/recording_duration.h"
#include "platform/utf8.h"
#include "export_fixture.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace voice::exporting::test {
namespace {

void WriteText(PartFile& part, std::string_view text) {
    part.File().Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// Whatever holds "<target>.part" beforehand stays exactly as it was, and so does what a
// link there points at; the new file still arrives complete under its name.
TEST(SafeFileTest, APartNameThatIsHeldIsNeverOpened) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& part, const fs::path& victim)> make;
    };
    const Case cases[] = {
        {"a file",
         [](const fs::path& part, const fs::path&) {
             WriteFile(part, Bytes{7, 7});
         }},
        {"a folder", [](const fs::path& part, const fs::path&) { fs::create_directory(part); }},
        {"the first two names",
         [](const fs::path& part, const fs::path&) {
             WriteFile(part, Bytes{7, 7});
             fs::path second = part;
             second.replace_extension(".2.part");
             WriteFile(second, Bytes{7, 7});
         }},
#ifndef _WIN32
        {"a link to a recording",
         [](const fs::path& part, const fs::path& victim) { fs::create_symlink(victim, part); }},
        {"a link to nothing",
         [](const fs::path& part, const fs::path& victim) {
             fs::create_symlink(victim.parent_path() / "gone", part);
         }},
#endif
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const fs::path victim = folder.Path() / "archive" / "QC7A0000.1";
        WriteFile(victim, Bytes(100, 0x80));
        const fs::path target = folder.Path() / "out.wav";
        c.make(fs::path(target) += ".part", victim);
        const std::vector<std::wstring> before = FileNames(folder.Path());
        {
            int error = 0;
            const auto out = TargetFolder::Open(folder.Path(), error);
            ASSERT_TRUE(out) << c.what;
            PartFile part(*out, "out.wav");
            ASSERT_TRUE(part.IsOpen()) << c.what;
            WriteText(part, "new");
            ASSERT_TRUE(part.Commit("out.wav", false)) << c.what;
        }
        EXPECT_EQ(ReadText(target), "new") << c.what;
        EXPECT_EQ(ReadFile(victim), Bytes(100, 0x80)) << c.what;
        std::vector<std::wstring> after = FileNames(folder.Path());
        std::erase(after, L"out.wav");
        EXPECT_EQ(after, before) << c.what; // no part file of ours left, theirs kept
    }
}

#ifndef _WIN32
// A link at the target is a name held like any other: refused unasked, replaced (the link,
// not what it points at) when asked.
TEST(SafeFileTest, ALinkAtTheTargetIsNeverWrittenThrough) {
    TempFolder folder;
    const fs::path victim = folder.Path() / "recording.1";
    WriteFile(victim, Bytes{1});
    fs::create_symlink(victim, folder.Path() / "list.csv");
    EXPECT_THROW(WriteWholeFile(folder.Path() / "list.csv", "new", false), WriteRefused);
    WriteWholeFile(folder.Path() / "list.csv", "new", true);
    EXPECT_EQ(ReadFile(victim), Bytes{1});
    EXPECT_EQ(ReadText(folder.Path() / "list.csv"), "new");
    EXPECT_FALSE(fs::is_symlink(folder.Path() / "list.csv"));
}
#endif

#ifndef _WIN32
// The system's limit on a file's size stands in for a full disk: the write fails part
// way, no file is left, and the message gives the system's reason.
TEST(SafeFileTest, AFailedWriteLeavesNothingAndSaysWhy) {
    TempFolder folder;
    const fs::path target = folder.Path() / "list.csv";
    try {
        FileSizeLimit limit(4096);
        WriteWholeFile(target, std::string(100000, 'x'), false);
        ADD_FAILURE() << "written past the limit";
    } catch (const WriteRefused& refused) {
        EXPECT_NE(refused.Text().find(L"нет места на диске"), std::wstring::npos)
            << ToUtf8(refused.Text());
        EXPECT_NE(refused.Text().find(WideFromPath(target)), std::wstring::npos);
    }
    EXPECT_TRUE(FileNames(folder.Path()).empty());
}
#endif

// The 4 GB limit of a WAV is known before a byte is written, for the forms whose length
// follows from the recording's (sparse files: no disk is used).
TEST(SafeFileTest, AWavPastFourGigabytesIsKnownBeforeWriting) {
    struct Case {
        std::uint64_t length;
        std::uint64_t trailing;
        bool fits;
    };
    // A headerless recording plays as 44 bytes of header and its own bytes; an odd
    // length gains a pad byte.
    constexpr std::uint64_t kLargest = 0xFFFFFFFFull + 8 - 44;
    const Case cases[] = {
        {1000, 200, true},
        {kLargest - 201, 201, true},
        {kLargest - 200, 201, false}, // the pad byte passes the limit
        {kLargest - 199, 201, false},
        {5'000'000'000, 0, false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const fs::path source = folder.Path() / "QC7A0000.1";
        WriteFile(source, Bytes(16, 0x80));
        fs::resize_file(source, c.length);
        EXPECT_EQ(ExportedWavFits(source, c.trailing), c.fits) << c.length;
    }
}

} // namespace
} // namespace voice::exporting::test
