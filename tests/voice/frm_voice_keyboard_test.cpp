// The main window from the keyboard, its keys handled by the program's own message loop:
// every control in the designed order, and the radio groups picking only what the user
// picks.

#include "keyboard_input.h"
#include "window_driver.h"

#include <gtest/gtest.h>

namespace voice::testing_support {
namespace {

// The radio buttons behave as on Windows: focus from the keyboard reports a click.
class KeyboardTest : public ::testing::Test {
protected:
    KeyboardTest() {
        for (int channel = 1; channel <= 8; ++channel)
            MakeDirectory(start / (L"ch" + std::to_wstring(channel)));
        std::vector<std::wstring> table;
        for (int channel = 1; channel <= 8; ++channel)
            table.push_back(start / (L"ch" + std::to_wstring(channel)));
        WriteBytes(start / L"BegDir.Ini", ChannelTableBytes(table));
    }
    // Counts the channel picks and the changes of ordering as they reach the handlers.
    void Watch(WindowDriver& window) {
        auto& form = window.Form();
        auto pick = form.RgDirChan.OnClick;
        form.RgDirChan.OnClick = [this, pick] {
            ++channelPicks;
            pick();
        };
        form.RGSort.OnClick = [this] { ++orderingPicks; };
    }
    std::wstring Focused(const WindowDriver& window) const { return window.NameOf(::GetFocus()); }

    gui::testing::WindowsRadioFocusClicks windowsButtons;
    TempDirectory start;
    int channelPicks = 0;
    int orderingPicks = 0;
};

TEST_F(KeyboardTest, TabVisitsEveryControlOnceInTheDesignedOrderPickingNothing) {
    WindowDriver window(start.Path());
    Watch(window);
    auto& form = window.Form();
    const std::wstring shownDirectory = form.DirectoryListBox1.Directory();
    ::SetFocus(window.Control(L"LBListFiles"));

    // Disabled time fields and arrows, labels and the static text take no focus.
    const std::vector<std::wstring> expected = {L"MediaPlayer1",   L"TrackBar1",
                                                L"BitBtnStart",    L"BtnCaseAll",
                                                L"BtnCleareAll",   L"ChBx1",
                                                L"ChBx2",          L"ChBx3",
                                                L"ChBx4",          L"ChBx5",
                                                L"ChBx6",          L"ChBx7",
                                                L"ChBx8",          L"DTPicker0",
                                                L"BtnOnOff0",      L"DTPicker1",
                                                L"BtnOnOff1",      L"BtnFormList",
                                                L"BtnClearList",   L"RgDirChan[0]",
                                                L"DriveComboBox1", L"DirectoryListBox1",
                                                L"BitBtn1",        L"RGSort[0]",
                                                L"ChBxAutoStart",  L"LBListFiles"};
    std::vector<std::wstring> visited;
    for (size_t i = 0; i < expected.size(); ++i) {
        window.PressKey(VK_TAB);
        visited.push_back(Focused(window));
    }
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(form.RgDirChan.ItemIndex(), -1);
    EXPECT_EQ(form.RGSort.ItemIndex(), 0);
    EXPECT_EQ(channelPicks, 0);
    EXPECT_EQ(orderingPicks, 0);
    EXPECT_EQ(form.DirectoryListBox1.Directory(), shownDirectory);
}

TEST_F(KeyboardTest, SpaceAndArrowsPickAChannelOnceAndTabComesBackToIt) {
    WindowDriver window(start.Path());
    Watch(window);
    auto& form = window.Form();
    ::SetFocus(window.Control(L"BtnClearList"));
    struct Step {
        UINT key;
        const wchar_t* focus;
        int channel; // RgDirChan's item index afterwards
        int picks;
    };
    const Step steps[] = {
        {VK_TAB, L"RgDirChan[0]", -1, 0},  {VK_SPACE, L"RgDirChan[0]", 0, 1},
        {VK_RIGHT, L"RgDirChan[1]", 1, 2}, {VK_LEFT, L"RgDirChan[0]", 0, 3},
        {VK_LEFT, L"RgDirChan[7]", 7, 4},  {VK_TAB, L"DriveComboBox1", 7, 4},
    };
    for (const Step& s : steps) {
        window.PressKey(s.key);
        EXPECT_EQ(Focused(window), s.focus) << s.key;
        EXPECT_EQ(form.RgDirChan.ItemIndex(), s.channel) << s.key;
        EXPECT_EQ(channelPicks, s.picks) << s.key;
        if (s.channel >= 0) // the handler ran: the list shows the channel's directory
            EXPECT_EQ(form.DirectoryListBox1.Directory(),
                      start / (L"ch" + std::to_wstring(s.channel + 1)))
                << s.key;
    }
    // Back from the drive box as the dialog manager moves: to the picked channel.
    ::SendMessageW(form.Handle(), WM_NEXTDLGCTL, TRUE, FALSE);
    EXPECT_EQ(Focused(window), L"RgDirChan[7]");
    EXPECT_EQ(channelPicks, 4);
    // "Запомнить" stores the shown directory for channel 8.
    window.Click(L"BitBtn1");
    EXPECT_EQ(GetChannelDir(form.ChannelDirTable, 7), start / L"ch8");
}

TEST_F(KeyboardTest, TheOrderingIsReachedAtTheChosenItemAndMovedOnlyByTheUser) {
    WindowDriver window(start.Path());
    Watch(window);
    auto& form = window.Form();
    window.ClickItem(L"RGSort", 2);
    ASSERT_EQ(orderingPicks, 1);
    ::SetFocus(window.Control(L"BitBtn1"));
    window.PressKey(VK_TAB);
    EXPECT_EQ(Focused(window), L"RGSort[2]");
    EXPECT_EQ(form.RGSort.ItemIndex(), 2);
    window.PressKey(VK_DOWN);
    EXPECT_EQ(Focused(window), L"RGSort[3]");
    EXPECT_EQ(form.RGSort.ItemIndex(), 3);
    EXPECT_EQ(orderingPicks, 2);
    window.PressKey(VK_TAB);
    window.PressKey(VK_TAB); // autostart, then round to the list
    ::SendMessageW(form.Handle(), WM_NEXTDLGCTL, TRUE, FALSE);
    ::SendMessageW(form.Handle(), WM_NEXTDLGCTL, TRUE, FALSE);
    EXPECT_EQ(Focused(window), L"RGSort[3]");
    EXPECT_EQ(form.RGSort.ItemIndex(), 3);
    EXPECT_EQ(orderingPicks, 2);
}

} // namespace
} // namespace voice::testing_support
