// voice-export's list against the real window's: the same archive, the same BegDir.Ini,
// the same channels, dates and ordering. Win32, under the X display.
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "platform/utf8.h"
#include "temp_directory.h"
#include "window_driver.h"

namespace voice::testing_support {
namespace {

TEST(CliWindowTest, ListEqualsTheWindowsListForEveryOrdering) {
    TempDirectory start, archive;
    std::vector<std::wstring> bases;
    for (int channel = 1; channel <= 8; ++channel) {
        bases.push_back(archive / (L"ch" + std::to_wstring(channel)));
        MakeDirectory(bases.back());
    }
    int n = 0;
    for (int channel : {2, 5})
        for (int day = 14; day <= 16; ++day)
            for (int hour : {7, 12, 18}) {
                const Moment begin{2010, 3, day, hour, 3 * n % 60, 0};
                const std::wstring dir =
                    bases[static_cast<size_t>(channel - 1)] + L"\\" + DayDirName(begin);
                ::CreateDirectoryW(dir.c_str(), nullptr);
                // Equal ends and sizes now and then, so ties are broken as the window does.
                CreateRecording(dir + L"\\" + RecordingName(begin, channel), 100 + 10 * (n % 4),
                                {2010, 3, day, 20, n % 3, 0});
                ++n;
            }
    WriteBytes(start / L"BegDir.Ini", ChannelTableBytes(bases));

    WindowDriver window(start.Path());
    window.Click(L"ChBx2");
    window.Click(L"ChBx5");
    window.SetDate(L"DTPicker0", 2010, 3, 14);
    window.SetDate(L"DTPicker1", 2010, 3, 16);
    const char* orderings[] = {"start", "end", "channel", "size"};
    const std::string settings = voice::ToUtf8(start / L"BegDir.Ini");
    for (int k = 0; k < 4; ++k) {
        window.ClickItem(L"RGSort", k);
        window.Click(L"BtnFormList");
        const auto run = cli::test::RunVoiceExport({"--channels", "2,5", "--from", "2010-03-14",
                                                    "--to", "2010-03-16", "--settings", settings,
                                                    "--order", orderings[k], "--list"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.size(), 18u);
        EXPECT_EQ(run.out, window.ListLines()) << orderings[k];
    }
    window.Close();
}

} // namespace
} // namespace voice::testing_support
