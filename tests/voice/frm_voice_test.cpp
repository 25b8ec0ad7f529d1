// The main window, created for real and driven through its controls' messages.

#include "window_driver.h"

#include "gui/error_box.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace voice::testing_support {
namespace {

using gui::testing::MessageBoxCatcher;

constexpr const wchar_t* kChannelBoxes[] = {L"ChBx1", L"ChBx2", L"ChBx3", L"ChBx4",
                                            L"ChBx5", L"ChBx6", L"ChBx7", L"ChBx8"};

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FrmVoiceTest : public ::testing::Test {
protected:
    TempDirectory start;
};

TEST_F(FrmVoiceTest, FreshStartShowsTheDesignedState) {
    WindowDriver window(start.Path());
    SYSTEMTIME today{};
    ::GetLocalTime(&today);

    for (const wchar_t* box : kChannelBoxes)
        EXPECT_FALSE(window.Checked(box)) << box;
    for (const wchar_t* picker : {L"DTPicker0", L"DTPicker1"}) {
        SYSTEMTIME shown = window.Date(picker);
        EXPECT_EQ(shown.wYear, today.wYear) << picker;
        EXPECT_EQ(shown.wMonth, today.wMonth) << picker;
        EXPECT_EQ(shown.wDay, today.wDay) << picker;
    }
    for (const wchar_t* field : {L"MEDTime0", L"MEDTime1"}) {
        EXPECT_EQ(window.Text(field), L"00:00:00") << field;
        EXPECT_FALSE(window.Enabled(field)) << field;
    }
    for (const wchar_t* arrows : {L"UdIncTime0", L"UdIncTime1"})
        EXPECT_FALSE(window.Enabled(arrows)) << arrows;
    EXPECT_EQ(window.Text(L"BtnOnOff0"), L"Вкл. время");
    EXPECT_EQ(window.Text(L"BtnOnOff1"), L"Вкл. время");
    EXPECT_EQ(window.Form().RGSort.ItemIndex(), 0);
    EXPECT_EQ(::SendMessageW(window.Form().RGSort.ItemHandle(0), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(window.Form().RgDirChan.ItemIndex(), -1);
    EXPECT_FALSE(window.Checked(L"ChBxAutoStart"));
    EXPECT_TRUE(window.ListLines().empty());
    EXPECT_EQ(window.Text(L"StFileName"), L"");
    EXPECT_EQ(::SendMessageW(window.Control(L"TrackBar1"), TBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(window.Text(L"Panel3"), L"№кан.  Нач.:дата время  Оконч.:дата время  Размер");

    // Start-up took the current directory as StartDir and created the default table there.
    EXPECT_EQ(window.Form().StartDir, start.Path());
    EXPECT_EQ(ReadBytes(start / L"BegDir.Ini"), ChannelTableBytes({}));
}

TEST_F(FrmVoiceTest, ControlsSitWhereDesignedUnderTheirParents) {
    WindowDriver window(start.Path());
    struct Case {
        const wchar_t* name;
        const wchar_t* parent;
        RECT designed; // left, top, right, bottom in the parent's client area
    };
    const Case cases[] = {
        {L"GroupBox2", L"Panel1", {4, 2, 474, 502}},
        {L"LBListFiles", L"Panel2", {2, 24, 462, 376}},
        {L"TrackBar1", L"Panel4", {1, 30, 459, 62}},
        {L"BtnFormList", L"GroupBox3", {104, 262, 277, 287}},
        {L"ChBx8", L"GrBxChannals", {40, 66, 74, 83}},
        {L"BtnOnOff1", L"GroupBox6", {164, 40, 247, 61}},
        {L"BitBtn1", L"Panel5", {168, 32, 263, 56}},
        {L"ChBxAutoStart", L"Panel6", {3, 8, 95, 25}},
    };
    const UINT dpi = window.Form().Dpi();
    for (const Case& c : cases) {
        HWND control = window.Control(c.name);
        ASSERT_EQ(::GetParent(control), window.Control(c.parent)) << c.name;
        RECT r;
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, ::MulDiv(c.designed.left, dpi, 96)) << c.name;
        EXPECT_EQ(r.top, ::MulDiv(c.designed.top, dpi, 96)) << c.name;
        EXPECT_EQ(r.right - r.left, ::MulDiv(c.designed.right - c.designed.left, dpi, 96))
            << c.name;
        EXPECT_EQ(r.bottom - r.top, ::MulDiv(c.designed.bottom - c.designed.top, dpi, 96))
            << c.name;
    }
}

// Channels are identified by their place among the group's check boxes, which therefore
// must follow the two buttons in child order; tab order follows child order everywhere.
TEST_F(FrmVoiceTest, ChannelBoxesFollowTheButtonsInChildOrder) {
    WindowDriver window(start.Path());
    std::vector<HWND> expected = {window.Control(L"BtnCaseAll"), window.Control(L"BtnCleareAll")};
    for (const wchar_t* box : kChannelBoxes)
        expected.push_back(window.Control(box));
    EXPECT_EQ(window.Form().GrBxChannals.Children(), expected);
}

TEST_F(FrmVoiceTest, SelectAllAndClearAllTickEveryChannelAndNothingElse) {
    WindowDriver window(start.Path());
    window.Click(L"ChBxAutoStart");
    window.Click(L"BtnCaseAll");
    for (const wchar_t* box : kChannelBoxes)
        EXPECT_TRUE(window.Checked(box)) << box;
    EXPECT_TRUE(window.Checked(L"ChBxAutoStart"));

    window.Click(L"BtnCleareAll");
    for (const wchar_t* box : kChannelBoxes)
        EXPECT_FALSE(window.Checked(box)) << box;
    EXPECT_TRUE(window.Checked(L"ChBxAutoStart"));
}

// A small archive of channels 1 and 3 over 14 to 16 March 2010.
class ArchiveTest : public FrmVoiceTest {
protected:
    ArchiveTest() {
        MakeDirectory(archive.Path() + L"\\ch1");
        MakeDirectory(archive.Path() + L"\\ch3");
        Add(1, {2010, 3, 14, 17, 0, 0}, 700, {2010, 3, 14, 17, 5, 0});
        Add(1, {2010, 3, 15, 8, 0, 0}, 1000, {2010, 3, 15, 8, 10, 0});
        Add(1, {2010, 3, 15, 9, 30, 15}, 3000, {2010, 3, 15, 9, 41, 2});
        Add(3, {2010, 3, 15, 12, 0, 1}, 500, {2010, 3, 15, 12, 30, 0});
        Add(3, {2010, 3, 16, 6, 0, 0}, 200, {2010, 3, 16, 6, 0, 40});
        // Another channel's file in channel 1's day directory is not channel 1's.
        CreateRecording(DayDir(1, {2010, 3, 15}) + L"\\" + RecordingName({2010, 3, 15, 10}, 3), 99,
                        {2010, 3, 15, 10, 1, 0});
        WriteBytes(start / L"BegDir.Ini", ChannelTableBytes({Base(1), Base(2), Base(3), Base(4),
                                                             Base(5), Base(6), Base(7), Base(8)}));
    }

    std::wstring Base(int channel) const {
        return archive.Path() + L"\\ch" + std::to_wstring(channel);
    }
    std::wstring DayDir(int channel, const Moment& day) const {
        return Base(channel) + L"\\" + DayDirName(day);
    }
    void Add(int channel, const Moment& begin, unsigned size, const Moment& end) {
        const std::wstring dir = DayDir(channel, begin);
        ::CreateDirectoryW(dir.c_str(), nullptr);
        CreateRecording(dir + L"\\" + RecordingName(begin, channel), size, end);
    }
    void SearchRange(WindowDriver& window, int fromDay, int toDay) {
        window.SetDate(L"DTPicker0", 2010, 3, fromDay);
        window.SetDate(L"DTPicker1", 2010, 3, toDay);
        window.Click(L"BtnFormList");
    }

    TempDirectory archive;
};

const std::wstring kLine14 = L"1  14.03.10 17:00:00  14.03.10 17:05:00  700";
const std::wstring kLine15a = L"1  15.03.10 08:00:00  15.03.10 08:10:00  1000";
const std::wstring kLine15b = L"1  15.03.10 09:30:15  15.03.10 09:41:02  3000";
const std::wstring kLine15c = L"3  15.03.10 12:00:01  15.03.10 12:30:00  500";
const std::wstring kLine16 = L"3  16.03.10 06:00:00  16.03.10 06:00:40  200";

TEST_F(ArchiveTest, SearchListsTheTickedChannelsInTheChosenOrdering) {
    struct Case {
        int ordering;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {0, {kLine14, kLine15a, kLine15b, kLine15c, kLine16}},
        {3, {kLine15b, kLine15a, kLine14, kLine15c, kLine16}}, // largest first
        {2, {kLine14, kLine15a, kLine15b, kLine15c, kLine16}},
    };
    WindowDriver window(start.Path());
    window.Click(L"ChBx1");
    window.Click(L"ChBx3");
    for (const Case& c : cases) {
        window.ClickItem(L"RGSort", c.ordering);
        SearchRange(window, 14, 16);
        EXPECT_EQ(window.ListDisplay(), c.expected) << "ordering " << c.ordering;
    }
    // The full path follows the display text from column 81 on.
    const std::wstring first = window.ListLines().front();
    EXPECT_EQ(first.substr(80),
              DayDir(1, {2010, 3, 14}) + L"\\" + RecordingName({2010, 3, 14, 17, 0, 0}, 1));
    // The search returns to StartDir however deep it went.
    EXPECT_EQ(CurrentDirectory(), start.Path());
}

// Four recordings of 20 March 2010 that each ordering puts in another order.
class OrderingTest : public ArchiveTest {
protected:
    OrderingTest() {
        MakeDirectory(Base(2));
        Add(1, {2010, 3, 20, 8, 0, 0}, 100, {2010, 3, 20, 9, 0, 0});
        Add(3, {2010, 3, 20, 7, 0, 0}, 300, {2010, 3, 20, 10, 0, 0});
        Add(1, {2010, 3, 20, 9, 0, 0}, 200, {2010, 3, 20, 9, 30, 0});
        Add(2, {2010, 3, 20, 6, 0, 0}, 50, {2010, 3, 20, 11, 0, 0});
    }
};

TEST_F(OrderingTest, EachSortItemPicksItsOrderingAtTheNextSearch) {
    const std::wstring a = L"1  20.03.10 08:00:00  20.03.10 09:00:00  100";
    const std::wstring b = L"3  20.03.10 07:00:00  20.03.10 10:00:00  300";
    const std::wstring c = L"1  20.03.10 09:00:00  20.03.10 09:30:00  200";
    const std::wstring d = L"2  20.03.10 06:00:00  20.03.10 11:00:00  50";
    struct Case {
        int item;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {3, {b, c, a, d}}, // size, largest first
        {1, {a, c, b, d}}, // end
        {0, {d, b, a, c}}, // start
        {2, {a, c, d, b}}, // channel, then start
    };
    WindowDriver window(start.Path());
    window.Click(L"BtnCaseAll");
    for (const Case& c : cases) {
        const auto shown = window.ListDisplay();
        window.ClickItem(L"RGSort", c.item);
        ASSERT_EQ(window.Form().RGSort.ItemIndex(), c.item);
        EXPECT_EQ(window.ListDisplay(), shown) << "choosing re-sorts nothing by itself";
        SearchRange(window, 20, 20);
        EXPECT_EQ(window.ListDisplay(), c.expected) << "item " << c.item;
    }
}

TEST_F(ArchiveTest, DateRangeAndChannelsLimitTheList) {
    struct Case {
        std::vector<const wchar_t*> ticked;
        int from, to;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {{L"ChBx1"}, 15, 15, {kLine15a, kLine15b}},
        {{L"ChBx3"}, 15, 16, {kLine15c, kLine16}},
        {{L"ChBx1", L"ChBx3"}, 16, 14, {}}, // from after to: nothing
        {{L"ChBx2"}, 14, 16, {}},           // a channel without recordings
    };
    for (const Case& c : cases) {
        WindowDriver window(start.Path());
        for (const wchar_t* box : c.ticked)
            window.Click(box);
        SearchRange(window, c.from, c.to);
        EXPECT_EQ(window.ListDisplay(), c.expected) << c.ticked.front() << " " << c.from;
    }
}

TEST_F(ArchiveTest, SelectAllSearchesEveryChannelAndClearAllGetsTheNoChannelMessage) {
    WindowDriver window(start.Path());
    window.Click(L"BtnCaseAll");
    SearchRange(window, 14, 16);
    EXPECT_EQ(window.ListDisplay().size(), 5u);

    MessageBoxCatcher boxes;
    window.Click(L"BtnCleareAll");
    window.Click(L"BtnFormList");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Ошибка условия");
    EXPECT_EQ(boxes.Boxes()[0].text, L"Для поиска не выбрано ни одного канала.");
    // The list was emptied before the check.
    EXPECT_TRUE(window.ListLines().empty());
}

TEST_F(ArchiveTest, SearchingTwiceGivesTheSameListAndClearEmptiesIt) {
    WindowDriver window(start.Path());
    window.Click(L"BtnCaseAll");
    SearchRange(window, 14, 16);
    const auto first = window.ListLines();
    window.Click(L"BtnFormList");
    EXPECT_EQ(window.ListLines(), first);
    EXPECT_EQ(window.Form().LineList.Lines(), first);

    window.Click(L"BtnClearList");
    EXPECT_TRUE(window.ListLines().empty());
    EXPECT_EQ(window.Form().LineList.Count(), 0);
}

TEST_F(ArchiveTest, TimeWindowAppliesOnlyWhileItsFieldIsOn) {
    struct Case {
        bool fromOn, toOn;
        const wchar_t* from;
        const wchar_t* to;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {true, true, L"08:00:00", L"12:00:00", {kLine15a, kLine15b}},
        {true, true, L"08:00:00", L"12:00:01", {kLine15a, kLine15b, kLine15c}},
        {false, true, L"23:00:00", L"09:00:00", {kLine15a, kLine16}},
        {true, false, L"12:00:00", L"00:00:00", {kLine14, kLine15c}},
        {true, true, L"22:00:00", L"06:00:00", {}},
        {false, false, L"22:00:00", L"06:00:00", {kLine14, kLine15a, kLine15b, kLine15c, kLine16}},
    };
    for (const Case& c : cases) {
        WindowDriver window(start.Path());
        window.Click(L"BtnCaseAll");
        // Texts are typed in while the fields are on; switching off keeps them.
        window.Click(L"BtnOnOff0");
        window.Click(L"BtnOnOff1");
        window.Form().MEDTime0.SetText(c.from);
        window.Form().MEDTime1.SetText(c.to);
        if (!c.fromOn)
            window.Click(L"BtnOnOff0");
        if (!c.toOn)
            window.Click(L"BtnOnOff1");
        SearchRange(window, 14, 16);
        EXPECT_EQ(window.ListDisplay(), c.expected) << c.from << " " << c.to;
    }
}

TEST_F(ArchiveTest, AnImpossibleDateShowsTheErrorAndKeepsTheCompletedChannels) {
    // 29.02.2010 does not exist: channel 3's day directory stops the search there.
    MakeDirectory(Base(3) + L"\\A2T");
    WindowDriver window(start.Path());
    window.Click(L"ChBx1");
    window.Click(L"ChBx3");
    MessageBoxCatcher boxes;
    SearchRange(window, 14, 16);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Invalid argument to date encode.");
    EXPECT_EQ(window.ListDisplay(), (std::vector<std::wstring>{kLine14, kLine15a, kLine15b}));
}

TEST_F(FrmVoiceTest, TimeSwitchTogglesFieldArrowsAndCaption) {
    WindowDriver window(start.Path());
    struct Group {
        const wchar_t* button;
        const wchar_t* field;
        const wchar_t* arrows;
    };
    for (const Group& g : {Group{L"BtnOnOff0", L"MEDTime0", L"UdIncTime0"},
                           Group{L"BtnOnOff1", L"MEDTime1", L"UdIncTime1"}}) {
        window.Click(g.button);
        EXPECT_TRUE(window.Enabled(g.field)) << g.field;
        EXPECT_TRUE(window.Enabled(g.arrows)) << g.arrows;
        EXPECT_EQ(window.Text(g.button), L"Откл.время");
        window.Click(g.button);
        EXPECT_FALSE(window.Enabled(g.field)) << g.field;
        EXPECT_FALSE(window.Enabled(g.arrows)) << g.arrows;
        EXPECT_EQ(window.Text(g.button), L"Вкл.время");
        EXPECT_EQ(window.Text(g.field), L"00:00:00");
    }
}

TEST_F(FrmVoiceTest, RememberStoresTheShownDirectoryForThePickedChannel) {
    MakeDirectory(start / L"rec");
    MakeDirectory(start / L"rec\\sub");
    WindowDriver window(start.Path());
    const std::string initial = ReadBytes(start / L"BegDir.Ini");

    window.Click(L"BitBtn1"); // no channel picked yet: nothing happens
    EXPECT_EQ(ReadBytes(start / L"BegDir.Ini"), initial);

    window.ClickItem(L"RgDirChan", 2);
    window.Form().DirectoryListBox1.SetDirectory(start / L"rec\\sub");
    gui::testing::Pump();
    window.Click(L"BitBtn1");
    EXPECT_EQ(ReadBytes(start / L"BegDir.Ini"),
              ChannelTableBytes({L"c:\\", L"c:\\", start / L"rec\\sub"}));
}

TEST_F(FrmVoiceTest, ShutdownDeletesThePlaybackFileOfStartDirOnly) {
    TempDirectory elsewhere;
    WriteBytes(start / L"$$$.Wav", "RIFF");
    WriteBytes(elsewhere / L"$$$.Wav", "RIFF");
    WindowDriver window(start.Path());
    EXPECT_TRUE(FileExists(start / L"$$$.Wav")); // start-up leaves an old one alone

    ::SetCurrentDirectoryW(elsewhere.Path().c_str()); // as browsing or a search does
    window.Close();
    EXPECT_FALSE(FileExists(start / L"$$$.Wav"));
    EXPECT_TRUE(FileExists(elsewhere / L"$$$.Wav"));
    EXPECT_EQ(CurrentDirectory(), start.Path());
    EXPECT_EQ(window.Form().Handle(), nullptr); // closing destroys the window
    EXPECT_FALSE(window.Form().Timer1.Running());
}

TEST_F(FrmVoiceTest, MovingToADenserScreenScalesLayoutAndFonts) {
    WindowDriver window(start.Path());
    RECT suggested{0, 0, 781 * 3 / 2, 554 * 3 / 2};
    ::SendMessageW(window.Form().Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.Form().Dpi(), 144u);
    RECT r;
    ::GetWindowRect(window.Control(L"BtnFormList"), &r);
    EXPECT_EQ(r.right - r.left, 173 * 3 / 2 + 1); // 259.5 rounds up
    EXPECT_EQ(::SendMessageW(window.Control(L"LBListFiles"), LB_GETITEMHEIGHT, 0, 0), 24);
    LOGFONTW lf{};
    HFONT font =
        reinterpret_cast<HFONT>(::SendMessageW(window.Control(L"LBListFiles"), WM_GETFONT, 0, 0));
    ::GetObjectW(font, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -::MulDiv(13, 144, 96));
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Courier New");
}

// The path chooser: channel 3 stored as start\rec, channel 5 as a directory that is gone.
class ChooserTest : public ::testing::Test {
protected:
    ChooserTest() {
        MakeDirectory(start / L"rec");
        MakeDirectory(start / L"rec\\sub");
        WriteBytes(start / L"BegDir.Ini",
                   ChannelTableBytes({L"c:\\", L"c:\\", start / L"rec", L"c:\\", start / L"gone"}));
    }
    // Opens a line of the directory list as a double-click does: select it, then the
    // notification the list box sends its parent.
    static void DoubleClickLine(WindowDriver& window, const std::wstring& text) {
        const auto& lines = window.Form().DirectoryListBox1.Lines();
        int index = -1;
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].text == text)
                index = static_cast<int>(i);
        ASSERT_GE(index, 0) << "no line " << std::string(text.begin(), text.end());
        HWND list = window.Control(L"DirectoryListBox1");
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(::GetParent(list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), LBN_DBLCLK),
                       reinterpret_cast<LPARAM>(list));
        gui::testing::Pump();
    }

    TempDirectory start;
};

TEST_F(ChooserTest, PickBrowseAndRememberWritesTheTableInStartDir) {
    WindowDriver window(start.Path());
    auto& form = window.Form();
    EXPECT_EQ(form.DirectoryListBox1.Directory(), start.Path()); // the start directory

    window.ClickItem(L"RgDirChan", 2);
    EXPECT_EQ(form.DirectoryListBox1.Directory(), start / L"rec");
    DoubleClickLine(window, L"sub");
    EXPECT_EQ(form.DirectoryListBox1.Directory(), start / L"rec\\sub");
    EXPECT_EQ(CurrentDirectory(), start / L"rec\\sub"); // browsing moves the process
    EXPECT_EQ(form.DriveComboBox1.Drive(), static_cast<wchar_t>(::towlower(start.Path()[0])));

    window.Click(L"BitBtn1");
    EXPECT_EQ(ReadBytes(start / L"BegDir.Ini"),
              ChannelTableBytes({L"c:\\", L"c:\\", start / L"rec\\sub", L"c:\\", start / L"gone"}));
    // The file of StartDir was written, not one in the browsed directory.
    EXPECT_EQ(::GetFileAttributesW((start / L"rec\\sub\\BegDir.Ini").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(ChooserTest, DefaultEntriesShowTheRootOfDriveC) {
    WindowDriver window(start.Path());
    window.ClickItem(L"RgDirChan", 0);
    EXPECT_EQ(_wcsicmp(window.Form().DirectoryListBox1.Directory().c_str(), L"C:\\"), 0);
    EXPECT_EQ(window.Form().DriveComboBox1.Drive(), L'c');
}

TEST_F(ChooserTest, AMissingStoredDirectoryShowsTheErrorAndChangesNothing) {
    WindowDriver window(start.Path());
    auto& form = window.Form();
    window.ClickItem(L"RgDirChan", 2);
    const std::wstring shown = form.DirectoryListBox1.Directory();
    const wchar_t drive = form.DriveComboBox1.Drive();
    const std::wstring current = CurrentDirectory();

    MessageBoxCatcher boxes;
    window.ClickItem(L"RgDirChan", 4);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, gui::ApplicationTitle());
    EXPECT_TRUE(boxes.Boxes()[0].text == L"File not found." ||
                boxes.Boxes()[0].text == L"Invalid filename.")
        << std::string(boxes.Boxes()[0].text.begin(), boxes.Boxes()[0].text.end());
    EXPECT_EQ(form.DirectoryListBox1.Directory(), shown);
    EXPECT_EQ(form.DriveComboBox1.Drive(), drive);
    EXPECT_EQ(CurrentDirectory(), current);
    EXPECT_EQ(GetChannelDir(form.ChannelDirTable, 4), start / L"gone");
}

TEST_F(FrmVoiceTest, KeyboardStartsAtTheFirstControlAndTabFollowsTheDesignedOrder) {
    WindowDriver window(start.Path());
    HWND form = window.Form().Handle();
    window.Form().Show(SW_SHOWNORMAL);
    ::SetForegroundWindow(form);
    ::SetActiveWindow(form);
    gui::testing::Pump();
    EXPECT_EQ(::GetFocus(), window.Control(L"LBListFiles"));

    // Tab as the message loop hands it to the dialog manager.
    auto tab = [&] {
        MSG msg{::GetFocus(), WM_KEYDOWN, VK_TAB, 0};
        ::IsDialogMessageW(form, &msg);
        gui::testing::Pump();
        return ::GetFocus();
    };
    // The static text between the bar and "Start" takes no focus.
    for (const wchar_t* next : {L"MediaPlayer1", L"TrackBar1", L"BitBtnStart", L"BtnCaseAll",
                                L"BtnCleareAll", L"ChBx1"}) {
        EXPECT_EQ(tab(), window.Control(next)) << std::string(next, next + wcslen(next));
    }
    ::ShowWindow(form, SW_HIDE);
}

} // namespace
} // namespace voice::testing_support
