#include <gtest/gtest.h>

#include "cli/cli_run.h"
#include "cli/system_platform.h"
#include "cli_test_support.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"
#include "export_fixture.h"
#include "recording_encoder.h"

namespace voice::cli::test {
namespace {

using voice::ToUtf8;
using voice::WideFromPath;
using exporting::test::AddRecording;
using exporting::test::Bytes;
using exporting::test::FileNames;
using exporting::test::TempFolder;

// Stopped before it could finish, voice-export says what it left: nothing at all (and
// claims no recording). Ctrl+C before the search ends stops the search itself.
TEST(CliCancelTest, AStoppedCommandSaysWhatItLeft) {
    TempFolder archive, out;
    const auto base = archive.Path() / "ch2";
    for (int hour : {8, 9})
        AddRecording(base / "QC7", 2, {2026, 12, 7, hour, 0, 0},
                     EncodeRecording(RecordingKind::InvertedRuns, SoundWithRuns(900, hour)));
    struct Case {
        std::string option, target;
        const wchar_t* says;
    } cases[] = {
        {"--merge", "all.wav", L"Прервано, ничего не записано."},
        {"--incident", "incident.wav", L"Прервано, ничего не записано."},
        {"--out", "out", L"Прервано, ничего не записано."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const std::vector<std::string> args = {
            "--channels", "2",
            "--from",     "2026-12-07",
            "--to",       "2026-12-07",
            "--dir",      "2=" + ToUtf8(WideFromPath(base)),
            c.option,     ToUtf8(WideFromPath(out.Path() / c.target))};
        CapturedConsole console;
        const std::atomic<bool> cancel{true};
        EXPECT_EQ(RunArguments(args, *MakeSystemPlatform(), console, cancel), kExitSomeFailed);
        ASSERT_FALSE(console.err.empty());
        EXPECT_EQ(console.err.front(), c.says);
        for (const std::wstring& line : console.err)
            EXPECT_EQ(line.find(L"Объединено записей"), std::wstring::npos);
    }
    EXPECT_TRUE(FileNames(out.Path()).empty());
}

} // namespace
} // namespace voice::cli::test
