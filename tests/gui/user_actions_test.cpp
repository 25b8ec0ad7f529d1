// What counts as the user's choice: radio items reached by the keyboard, list clicks that
// change nothing, bar actions that leave the value where it was.

#include "gui/button.h"
#include "gui/form.h"
#include "gui/list_box.h"
#include "gui/radio_group.h"
#include "gui/track_bar.h"
#include "keyboard_input.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace voice::gui {
namespace {

using testing::PressKey;
using testing::Pump;
using testing::RunLoopUntilIdle;

bool HasTabStop(HWND window) {
    return (::GetWindowLongW(window, GWL_STYLE) & WS_TABSTOP) != 0;
}

// A button, a group of four items and another button in a form, as the main window has
// them; the group's buttons behave as on Windows.
class RadioKeyboardTest : public ::testing::Test {
protected:
    RadioKeyboardTest() {
        form.CreateForm(L"keys", 0, 0, 400, 300);
        before.Create(form.Handle(), 1, 10, 10, 80, 25, L"before");
        group.Create(form.Handle(), 2, 10, 40, 125, 91, L"group");
        group.SetItems({L"a", L"b", L"c", L"d"});
        group.OnClick = [this] { ++clicks; };
        after.Create(form.Handle(), 3, 10, 140, 80, 25, L"after");
        ::SetFocus(before.Handle());
        Pump();
    }
    ~RadioKeyboardTest() override { ::DestroyWindow(form.Handle()); }

    testing::WindowsRadioFocusClicks windowsButtons; // before anything is created
    Form form;
    Button before;
    RadioGroup group;
    Button after;
    int clicks = 0;
};

TEST_F(RadioKeyboardTest, TheOneTabStopFollowsTheCheck) {
    struct Step {
        int click; // the user's click on an item; -1: the program sets `set`
        int set;
        int tabStop;
    };
    for (const Step& s : {Step{-1, -1, 0}, Step{2, 0, 2}, Step{-1, 1, 1}, Step{-1, -1, 0}}) {
        const int clicksBefore = clicks;
        if (s.click >= 0)
            ::SendMessageW(group.ItemHandle(s.click), BM_CLICK, 0, 0);
        else
            group.SetItemIndex(s.set);
        for (int i = 0; i < group.ItemCount(); ++i)
            EXPECT_EQ(HasTabStop(group.ItemHandle(i)), i == s.tabStop) << i;
        // The keyboard comes in there and picks nothing.
        const int index = group.ItemIndex();
        ::SetFocus(after.Handle());
        ::SendMessageW(form.Handle(), WM_NEXTDLGCTL, TRUE, FALSE);
        RunLoopUntilIdle(form);
        EXPECT_EQ(::GetFocus(), group.ItemHandle(s.tabStop));
        EXPECT_EQ(group.ItemIndex(), index);
        EXPECT_EQ(clicks, clicksBefore + (s.click >= 0 ? 1 : 0));
    }
    // Given the focus by name, an unchecked item is not picked either; the mouse picks it.
    ::SendMessageW(form.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(group.ItemHandle(3)),
                   TRUE);
    EXPECT_EQ(::GetFocus(), group.ItemHandle(3));
    EXPECT_EQ(group.ItemIndex(), -1);
    const int clicksBefore = clicks;
    ::SendMessageW(group.ItemHandle(3), BM_CLICK, 0, 0);
    EXPECT_EQ(group.ItemIndex(), 3);
    EXPECT_EQ(clicks, clicksBefore + 1);
}

// A list of six lines in a form, its selection changed by mouse and keyboard.
class ListSelectionTest : public ::testing::Test {
protected:
    ListSelectionTest() {
        form.CreateForm(L"list", 0, 0, 500, 400);
        list.Create(form.Handle(), 1, 0, 0, 460, 200);
        list.SetLineHeight(16);
        list.SetLines(lines);
        list.OnClick = [this] { ++clicks; };
        ::SetFocus(list.Handle());
    }
    ~ListSelectionTest() override { ::DestroyWindow(form.Handle()); }
    void Click(int line, WPARAM keys) {
        const LPARAM at = MAKELPARAM(10, line * 16 + 8);
        ::SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
        ::SendMessageW(list.Handle(), WM_LBUTTONUP, keys, at);
        Pump();
    }
    std::vector<int> Selection() const {
        std::vector<int> selected;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Selected(i))
                selected.push_back(i);
        return selected;
    }

    Form form;
    ListBox list;
    std::vector<std::wstring> lines = {L"0", L"1", L"2", L"3", L"4", L"5"};
    int clicks = 0;
};

TEST_F(ListSelectionTest, OnlyAUserChangeOfTheSelectedLinesIsAClick) {
    constexpr int kKey = -1;
    struct Step {
        int line; // clicked line, or kKey
        WPARAM keysOrKey;
        std::vector<int> selected;
        bool raised;
    };
    const Step steps[] = {
        {2, 0, {2}, true},
        {2, 0, {2}, false},          // the line already alone selected
        {kKey, VK_UP, {1}, true},    //
        {kKey, VK_UP, {0}, true},    //
        {kKey, VK_UP, {0}, false},   // Up on the first line
        {kKey, VK_HOME, {0}, false}, //
        {4, MK_SHIFT, {0, 1, 2, 3, 4}, true},
        {4, MK_SHIFT, {0, 1, 2, 3, 4}, false}, // the same range again
        {1, MK_CONTROL, {0, 2, 3, 4}, true},
        {1, MK_CONTROL, {0, 1, 2, 3, 4}, true},
        {3, 0, {3}, true}, // one line of several: the others go
        {kKey, VK_END, {5}, true},
        {kKey, VK_END, {5}, false},
    };
    for (const Step& s : steps) {
        const int before = clicks;
        if (s.line == kKey)
            PressKey(form, static_cast<UINT>(s.keysOrKey));
        else
            Click(s.line, s.keysOrKey);
        EXPECT_EQ(Selection(), s.selected) << s.line << " " << s.keysOrKey;
        EXPECT_EQ(clicks - before, s.raised ? 1 : 0) << s.line << " " << s.keysOrKey;
    }
}

TEST_F(ListSelectionTest, TheProgramsChangesAreTheStartOfTheUsersNext) {
    Click(2, 0);
    ASSERT_EQ(clicks, 1);
    // New lines select nothing: clicking the same place again is a change.
    list.SetLines(lines);
    Click(2, 0);
    EXPECT_EQ(clicks, 2);
    // The program selects line 4 alone: a click there changes nothing, on line 2 it does.
    list.SetSelected(2, false);
    list.SetSelected(4, true);
    EXPECT_EQ(clicks, 2);
    Click(4, 0);
    EXPECT_EQ(clicks, 2);
    Click(2, 0);
    EXPECT_EQ(clicks, 3);
    list.Clear();
    list.SetLines(lines);
    Click(2, 0);
    EXPECT_EQ(clicks, 4);
}

TEST(TrackBarActionTest, EveryUserActionRaisesOnceEvenWithoutAChange) {
    testing::HostWindow host;
    TrackBar bar;
    bar.Create(host.Handle(), 1, 0, 0, 458, 32);
    bar.SetRange(0, 50);
    int changes = 0;
    bar.OnChange = [&] { ++changes; };
    const auto key = [&](UINT vk) {
        ::SendMessageW(bar.Handle(), WM_KEYDOWN, vk, 0);
        ::SendMessageW(bar.Handle(), WM_KEYUP, vk, 0);
    };
    const auto clickThumb = [&] {
        RECT thumb{};
        ::SendMessageW(bar.Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        const LPARAM at =
            MAKELPARAM((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
        ::SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, at);
    };
    enum Action { kHome, kEnd, kRight, kThumb, kSetSame, kSetOther };
    struct Step {
        Action action;
        int position;
        int changes; // raised by this step
    };
    const Step steps[] = {
        {kHome, 0, 1},     // at 0 already: still the user's action
        {kThumb, 0, 1},    // a click on the thumb that moves nothing
        {kRight, 1, 1},    // a move: once, not again at the release
        {kEnd, 50, 1},     //
        {kEnd, 50, 1},     //
        {kThumb, 50, 1},   //
        {kSetSame, 50, 0}, // the program, without a change
        {kSetOther, 20, 1},
    };
    for (const Step& s : steps) {
        const int before = changes;
        switch (s.action) {
        case kHome:
            key(VK_HOME);
            break;
        case kEnd:
            key(VK_END);
            break;
        case kRight:
            key(VK_RIGHT);
            break;
        case kThumb:
            clickThumb();
            break;
        case kSetSame:
            bar.SetPosition(bar.Position());
            break;
        case kSetOther:
            bar.SetPosition(20);
            break;
        }
        Pump();
        EXPECT_EQ(bar.Position(), s.position) << "step " << (&s - steps);
        EXPECT_EQ(changes - before, s.changes) << "step " << (&s - steps);
    }
}

} // namespace
} // namespace voice::gui
