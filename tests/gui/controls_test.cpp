// The framework's control kinds on real windows: what the main window relies on.

#include "gui/bit_btn.h"
#include "gui/check_box.h"
#include "gui/date_picker.h"
#include "gui/font.h"
#include "gui/form.h"
#include "gui/group_box.h"
#include "gui/list_box.h"
#include "gui/message_box.h"
#include "gui/panel.h"
#include "gui/radio_group.h"
#include "gui/static_text.h"
#include "gui/timer.h"
#include "gui/track_bar.h"
#include "platform/app_error.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace voice::gui {
namespace {

using testing::HostWindow;
using testing::Pump;
using testing::PumpUntil;

RECT RectInParent(HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(RadioGroupTest, ClickRaisesOnlyWhenANewItemIsChosen) {
    HostWindow host;
    RadioGroup group;
    group.Create(host.Handle(), 1, 0, 0, 261, 29, L"Канал");
    group.SetItems({L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"});
    group.SetColumns(8);
    int clicks = 0;
    group.OnClick = [&] { ++clicks; };
    ASSERT_EQ(group.ItemIndex(), -1);

    struct Step {
        int click; // item the user clicks; -1: the program selects `programmatic`
        int programmatic;
        int index;  // item index afterwards
        int clicks; // events so far
    };
    const Step steps[] = {
        {2, 0, 2, 1}, {2, 0, 2, 1},  // the selected item again: nothing
        {5, 0, 5, 2}, {-1, 1, 1, 2}, // the program's choice raises nothing
        {1, 0, 1, 2}, {0, 0, 0, 3},
    };
    for (const Step& s : steps) {
        if (s.click >= 0)
            ::SendMessageW(group.ItemHandle(s.click), BM_CLICK, 0, 0);
        else
            group.SetItemIndex(s.programmatic);
        Pump();
        EXPECT_EQ(group.ItemIndex(), s.index);
        EXPECT_EQ(clicks, s.clicks);
        for (int i = 0; i < group.ItemCount(); ++i)
            EXPECT_EQ(::SendMessageW(group.ItemHandle(i), BM_GETCHECK, 0, 0) == BST_CHECKED,
                      i == s.index);
    }
    group.SetItemIndex(-1);
    EXPECT_EQ(group.ItemIndex(), -1);
}

TEST(RadioGroupTest, ItemsRunInTheGivenColumns) {
    HostWindow host;
    struct Case {
        int columns;
        int width, height;
        bool oneRow;
    };
    for (const Case& c : {Case{8, 261, 29, true}, Case{1, 125, 91, false}}) {
        RadioGroup group;
        group.Create(host.Handle(), 1, 0, 0, c.width, c.height, L"g");
        group.SetItems({L"a", L"b", L"c", L"d"});
        group.SetColumns(c.columns);
        for (int i = 1; i < group.ItemCount(); ++i) {
            RECT previous = RectInParent(group.ItemHandle(i - 1));
            RECT current = RectInParent(group.ItemHandle(i));
            if (c.oneRow) {
                EXPECT_EQ(current.top, previous.top);
                EXPECT_GT(current.left, previous.left);
            } else {
                EXPECT_EQ(current.left, previous.left);
                EXPECT_GT(current.top, previous.top);
            }
            EXPECT_LE(current.right, c.width);
            EXPECT_LE(current.bottom, c.height);
        }
    }
}

TEST(TrackBarTest, ChangeFollowsEveryNewPositionFromProgramOrUser) {
    HostWindow host;
    TrackBar bar;
    bar.Create(host.Handle(), 1, 0, 0, 458, 32);
    bar.SetRange(0, 50);
    std::vector<int> seen;
    bar.OnChange = [&] { seen.push_back(bar.Position()); };

    struct Step {
        int set;
        int position;
    };
    for (const Step& s : {Step{25, 25}, Step{25, 25}, Step{60, 50}, Step{-3, 0}}) {
        bar.SetPosition(s.set);
        EXPECT_EQ(bar.Position(), s.position);
    }
    EXPECT_EQ(seen, (std::vector<int>{25, 50, 0}));

    // The user's keyboard moves it through the parent's scroll notification.
    ::SendMessageW(bar.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    ::SendMessageW(bar.Handle(), WM_KEYUP, VK_RIGHT, 0);
    Pump();
    EXPECT_EQ(bar.Position(), 1);
    EXPECT_EQ(seen.back(), 1);
    EXPECT_EQ(seen.size(), 4u);

    const LONG style = ::GetWindowLongW(bar.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & TBS_AUTOTICKS);
    EXPECT_FALSE(style & (TBS_TOP | TBS_BOTH | TBS_VERT)); // horizontal, ticks below
    EXPECT_EQ(::SendMessageW(bar.Handle(), TBM_GETRANGEMAX, 0, 0), 50);
}

class ListBoxTest : public ::testing::Test {
protected:
    ListBoxTest() {
        list.Create(host.Handle(), 1, 0, 0, 460, 352);
        list.SetLineHeight(16);
        list.OnClick = [&] { ++clicks; };
        list.OnDblClick = [&] { ++doubleClicks; };
        lines = {L"first", L"second", L"third", L"fourth"};
        list.SetLines(lines);
    }
    void Press(int line, WPARAM keys, UINT message = WM_LBUTTONDOWN) {
        LPARAM at = MAKELPARAM(10, line * 16 + 8);
        ::SendMessageW(list.Handle(), message, MK_LBUTTON | keys, at);
        ::SendMessageW(list.Handle(), WM_LBUTTONUP, keys, at);
        Pump();
    }
    std::vector<bool> Selection() const {
        std::vector<bool> selected;
        for (int i = 0; i < list.Count(); ++i)
            selected.push_back(list.Selected(i));
        return selected;
    }

    HostWindow host;
    ListBox list;
    std::vector<std::wstring> lines;
    int clicks = 0;
    int doubleClicks = 0;
};

TEST_F(ListBoxTest, LinesAreReplacedNotAdded) {
    EXPECT_EQ(list.Count(), 4);
    const std::vector<std::wstring> other = {L"x", L"y"};
    list.SetLines(other);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Line(0), L"x");
    EXPECT_EQ(list.Line(1), L"y");
    EXPECT_EQ(list.Line(2), L""); // past the end
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ListBoxTest, ExtendedSelectionByMouseRaisesClick) {
    struct Step {
        int line;
        WPARAM keys;
        std::vector<bool> selected;
    };
    const Step steps[] = {
        {1, 0, {false, true, false, false}},
        {3, MK_SHIFT, {false, true, true, true}},    // a range
        {2, MK_CONTROL, {false, true, false, true}}, // toggles one line
        {0, 0, {true, false, false, false}},         // a plain click selects one alone
    };
    int expectedClicks = 0;
    for (const Step& s : steps) {
        Press(s.line, s.keys);
        EXPECT_EQ(Selection(), s.selected) << "line " << s.line;
        EXPECT_EQ(clicks, ++expectedClicks);
    }
    Press(0, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ListBoxTest, LineHeightSurvivesAFontAndNoHorizontalScrolling) {
    FontHandle font = CreateDesignedFont({L"Courier New", 24, FW_BOLD}, 96);
    list.SetFont(font.Get());
    EXPECT_EQ(list.LineHeight(), 16);
    const LONG style = ::GetWindowLongW(list.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & LBS_EXTENDEDSEL);
    EXPECT_FALSE(style & WS_HSCROLL);
}

TEST(ButtonTest, ClickAndChangeableCaption) {
    HostWindow host;
    Button button;
    button.Create(host.Handle(), 1, 0, 0, 83, 21, L"Вкл. время");
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    ::SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(clicks, 1);
    button.SetCaption(L"Откл.время");
    EXPECT_EQ(button.Caption(), L"Откл.время");
    ::SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(clicks, 2);
    // Enter on the focused button, as the message loop hands it to the dialog manager.
    MSG enter{button.Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(::IsDialogMessageW(host.Handle(), &enter));
    Pump();
    EXPECT_EQ(clicks, 3);
}

TEST(BitBtnTest, StandardGlyphsAre18By18WithABackgroundCorner) {
    for (const wchar_t* name : {kRetryGlyph, kOkGlyph}) {
        BitmapHandle bitmap(static_cast<HBITMAP>(
            ::LoadImageW(::GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, 0)));
        ASSERT_TRUE(bitmap) << "missing resource";
        BITMAP info{};
        ::GetObjectW(bitmap.Get(), sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, 18);
        EXPECT_EQ(info.bmHeight, 18);
    }
    HostWindow host;
    BitBtn button;
    button.Create(host.Handle(), 1, 0, 0, 75, 25, L"Start");
    button.SetGlyph(kRetryGlyph);
    EXPECT_TRUE(button.HasGlyph());
    EXPECT_THROW(button.SetGlyph(L"NOSUCHGLYPH"), AppError);
}

TEST(CheckBoxTest, UserTogglesAndProgramSets) {
    HostWindow host;
    CheckBox box;
    box.Create(host.Handle(), 1, 0, 0, 34, 17, L" 1");
    EXPECT_FALSE(box.Checked());
    ::SendMessageW(box.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(box.Checked());
    box.SetChecked(false);
    EXPECT_FALSE(box.Checked());
}

TEST(StaticTextTest, ShowsTheTextInASunkenFrame) {
    HostWindow host;
    StaticText text;
    text.Create(host.Handle(), 1, 0, 0, 457, 25, L"");
    text.SetText(L"3  15.03.10 09:30:15");
    EXPECT_EQ(text.Text(), L"3  15.03.10 09:30:15");
    EXPECT_TRUE(::GetWindowLongW(text.Handle(), GWL_STYLE) & SS_SUNKEN);
}

TEST(DatePickerTest, DatesRoundTrip) {
    HostWindow host;
    DatePicker picker;
    picker.Create(host.Handle(), 1, 0, 0, 93, 21);
    EXPECT_FALSE(::GetWindowLongW(picker.Handle(), GWL_STYLE) & DTS_LONGDATEFORMAT);
    for (const Date& date : {Date{2024, 2, 29}, Date{2037, 12, 31}, Date{2000, 1, 1}}) {
        picker.SetValue(date);
        EXPECT_EQ(picker.Value(), date);
    }
}

TEST(TimerTest, TicksUntilStopped) {
    Timer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.Start(20);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    timer.Stop();
    Pump();
    const int stoppedAt = ticks;
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(ContainerTest, ChildrenInCreationOrderAndPanelBevels) {
    HostWindow host;
    GroupBox group;
    group.Create(host.Handle(), 1, 0, 0, 158, 91, L"Канал ");
    Button first;
    first.Create(group.Handle(), 2, 76, 16, 77, 25, L"a");
    CheckBox second;
    second.Create(group.Handle(), 3, 4, 16, 34, 17, L"b");
    CheckBox third;
    third.Create(group.Handle(), 4, 4, 32, 34, 17, L"c");
    EXPECT_EQ(group.Children(),
              (std::vector<HWND>{first.Handle(), second.Handle(), third.Handle()}));
    EXPECT_EQ(group.Caption(), L"Канал ");

    // A click inside a container reaches the control's own handler.
    int clicks = 0;
    first.OnClick = [&] { ++clicks; };
    ::SendMessageW(first.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);

    Panel panel;
    panel.Create(host.Handle(), 5, 0, 100, 100, 30, L"");
    panel.SetBevels(Bevel::Raised, Bevel::Lowered);
    EXPECT_EQ(panel.OuterBevel(), Bevel::Raised);
    EXPECT_EQ(panel.InnerBevel(), Bevel::Lowered);
}

class TestForm : public Form {
public:
    TestForm() { CreateForm(L"test", 0, 0, 200, 100); }
};

TEST(FormTest, TheCloseActionDecidesWhatClosingDoes) {
    struct Case {
        CloseAction action;
        bool exists;
        bool visible;
    };
    for (const Case& c : {Case{CloseAction::None, true, true}, Case{CloseAction::Hide, true, false},
                          Case{CloseAction::Free, false, false}}) {
        TestForm form;
        // Without a window manager, destroying a shown window waits two seconds: the one
        // that closing destroys is left hidden.
        if (c.exists)
            form.Show(SW_SHOWNA);
        form.OnClose = [&](CloseAction& action) { action = c.action; };
        HWND hwnd = form.Handle();
        form.Close();
        Pump();
        EXPECT_EQ(::IsWindow(hwnd) != FALSE, c.exists);
        EXPECT_EQ(::IsWindowVisible(hwnd) != FALSE, c.visible);
        if (c.exists)
            ::ShowWindow(hwnd, SW_HIDE);
    }
}

TEST(FontTest, DesignedPixelsScaleWithTheDensity) {
    struct Case {
        UINT dpi;
        int height;
    };
    for (const Case& c : {Case{96, 13}, Case{120, 16}, Case{144, 20}, Case{192, 26}}) {
        FontHandle font =
            CreateDesignedFont({L"Courier New", 13, FW_BOLD, kNavy, RUSSIAN_CHARSET}, c.dpi);
        LOGFONTW lf{};
        ::GetObjectW(font.Get(), sizeof(lf), &lf);
        EXPECT_EQ(lf.lfHeight, -c.height) << c.dpi; // character height, not cell height
        EXPECT_EQ(lf.lfWeight, FW_BOLD);
        EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET);
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"Courier New");
        EXPECT_EQ(Scale(75, c.dpi), ::MulDiv(75, static_cast<int>(c.dpi), 96));
    }
}

TEST(WaitCursorTest, RestoresThePreviousCursor) {
    HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    ::SetCursor(arrow);
    {
        WaitCursor wait;
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
    }
    EXPECT_EQ(::GetCursor(), arrow);
}

} // namespace
} // namespace voice::gui
