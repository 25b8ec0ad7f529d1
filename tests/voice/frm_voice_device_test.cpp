// Playback sequencing in the real window on a recording MCI device: the test says what the
// device reports and when a completion notification or a timer tick comes, and reads what
// the window did and which commands it sent.

#include "gui/error_box.h"
#include "keyboard_input.h"
#include "player_fixture.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace voice::testing_support {
namespace {

using gui::testing::MessageBoxCatcher;
using gui::testing::Pump;

class DeviceTest : public ::testing::Test {
protected:
    DeviceTest() {
        for (int n = 1; n <= 4; ++n) {
            const std::wstring path = start / (L"R" + std::to_wstring(n) + L".1");
            CreateRecording(path, 800, {2026, 12, 7, 10, n, 1});
            std::wstring line = L"1  07.12.26 10:0" + std::to_wstring(n) + L":00  07.12.26 10:0" +
                                std::to_wstring(n) + L":01  800";
            line.resize(80, L' ');
            lines.push_back(line + path);
        }
        window =
            std::make_unique<WindowDriver>(start.Path(), std::make_unique<test::FakeMciPort>(mci));
        Form().Timer1.Stop(); // ticks come when the test says
        Form().LBListFiles.SetLines(lines);
    }

    TFrmVoice& Form() { return window->Form(); }
    void Tick() { Form().Timer1.OnTimer(); }
    // What the device reports from now on.
    void Device(DWORD mode, DWORD position) {
        mci->status[MCI_STATUS_MODE] = mode;
        mci->status[MCI_STATUS_POSITION] = position;
    }
    void Notify() {
        ::SendMessageW(Form().MediaPlayer1.Handle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL,
                       Form().MediaPlayer1.DeviceId());
        Pump();
    }
    // The user's click on a button of the player bar.
    void PressPlayer(TMPBtnType button) {
        const int width = Form().MediaPlayer1.ButtonWidth();
        const LPARAM at = MAKELPARAM(static_cast<int>(button) * (width - 1) + width / 2, 7);
        ::SendMessageW(Form().MediaPlayer1.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(Form().MediaPlayer1.Handle(), WM_LBUTTONUP, 0, at);
        Pump();
    }
    // The user's click on a list line; a double click is a click followed by the second press.
    void ClickLine(int lineNumber, bool twice = false) {
        HWND list = window->Control(L"LBListFiles");
        RECT r{};
        ::SendMessageW(list, LB_GETITEMRECT, lineNumber - 1, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 5, r.top + 2);
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(list, WM_LBUTTONUP, 0, at);
        if (twice) {
            ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            ::SendMessageW(list, WM_LBUTTONUP, 0, at);
        }
        Pump();
    }
    int Sent(UINT command) const {
        int count = 0;
        for (const test::MciCall& call : mci->calls)
            count += call.command == command;
        return count;
    }
    DWORD_PTR LastFlags(UINT command) const {
        for (auto call = mci->calls.rbegin(); call != mci->calls.rend(); ++call)
            if (call->command == command)
                return call->flags;
        return 0;
    }
    std::wstring Shown(int lineNumber) const { return lines[lineNumber - 1].substr(0, 52); }
    bool Running() { return Form().SequenceActive && Form().MediaPlayer1.DeviceOpen(); }
    // Lines 2 and 4 selected, started with "Start" and played by the next tick.
    void PlayLines2And4() {
        Form().LBListFiles.SetSelected(1, true);
        Form().LBListFiles.SetSelected(3, true);
        window->Click(L"BitBtnStart");
        Tick();
        Device(MCI_MODE_PLAY, 100);
    }

    TempDirectory start;
    std::shared_ptr<test::FakeMci> mci = std::make_shared<test::FakeMci>();
    std::vector<std::wstring> lines;
    std::unique_ptr<WindowDriver> window;
};

TEST_F(DeviceTest, ADoubleClickStartsAndBuildingOrClearingTheListStopsAndCloses) {
    for (const wchar_t* button : {L"BtnFormList", L"BtnClearList"}) {
        Form().LBListFiles.SetLines(lines);
        ClickLine(3, true);
        EXPECT_EQ(Form().CurrentIndex, 2) << button;
        EXPECT_TRUE(Form().PlayPending);
        EXPECT_TRUE(Running());
        EXPECT_EQ(window->Text(L"StFileName"), Shown(3));
        ASSERT_EQ(mci->opened.size(), 1u) << button;
        EXPECT_EQ(mci->opened.back(), L"|" + start / L"$$$.Wav");
        Tick();
        ASSERT_EQ(Sent(MCI_PLAY), 1);
        Device(MCI_MODE_PLAY, 100);

        const int closes = Sent(MCI_CLOSE);
        MessageBoxCatcher boxes; // no channel ticked: the search's message
        window->Click(button);
        EXPECT_FALSE(Form().SequenceActive) << button;
        EXPECT_FALSE(Form().MediaPlayer1.DeviceOpen()) << button;
        EXPECT_EQ(Sent(MCI_CLOSE), closes + 1) << button;
        EXPECT_EQ(window->ListLines().size(), 0u) << button;
        // Nothing left for a tick to press.
        Tick();
        EXPECT_EQ(Sent(MCI_PLAY), 1);
        mci->calls.clear();
        mci->opened.clear();
        Device(MCI_MODE_STOP, 0);
    }
}

TEST_F(DeviceTest, OnlyANotificationAtTheStartOrEndOfAStoppedRecordingAdvances) {
    struct Case {
        const char* what;
        int player; // the button the user presses first, -1 none
        DWORD mode, position;
        bool advances;
    };
    const Case cases[] = {
        {"Stop in the middle", btStop, MCI_MODE_STOP, 500, false},
        {"Next to the end", btNext, MCI_MODE_STOP, 1000, true},
        {"Prev to the start", btPrev, MCI_MODE_STOP, 0, true},
        {"played to the end", -1, MCI_MODE_STOP, 1000, true},
        {"paused", btPause, MCI_MODE_PAUSE, 300, false},
        {"still playing", -1, MCI_MODE_PLAY, 300, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window =
            std::make_unique<WindowDriver>(start.Path(), std::make_unique<test::FakeMciPort>(mci));
        Form().Timer1.Stop();
        Form().LBListFiles.SetLines(lines);
        mci->opened.clear();
        Device(MCI_MODE_STOP, 0);
        Form().ChBxAutoStart.SetChecked(true);
        PlayLines2And4();
        if (c.player >= 0)
            PressPlayer(static_cast<TMPBtnType>(c.player));
        Device(c.mode, c.position);
        Notify();
        EXPECT_EQ(Form().CurrentIndex, c.advances ? 3 : 1);
        EXPECT_EQ(mci->opened.size(), c.advances ? 2u : 1u);
        EXPECT_EQ(window->Text(L"StFileName"), Shown(c.advances ? 4 : 2));
        EXPECT_EQ(Form().PlayPending, c.advances); // autostart: the next tick plays it
        EXPECT_TRUE(Form().SequenceActive);
        EXPECT_TRUE(Form().MediaPlayer1.NotifyArmed());
    }
}

TEST_F(DeviceTest, ANotificationWhilePlayIsPendingOnlyRearms) {
    Form().LBListFiles.SetSelected(1, true);
    Form().LBListFiles.SetSelected(3, true);
    window->Click(L"BitBtnStart");
    Device(MCI_MODE_STOP, 0); // as after the open
    Notify();
    EXPECT_EQ(Form().CurrentIndex, 1);
    EXPECT_TRUE(Form().PlayPending);
    EXPECT_EQ(mci->opened.size(), 1u);
    EXPECT_TRUE(Form().MediaPlayer1.NotifyArmed());
}

TEST_F(DeviceTest, NotifyIsArmedAtStartAfterEveryPressAndNotificationAndDisarmedAtClose) {
    auto& player = Form().MediaPlayer1;
    EXPECT_TRUE(player.NotifyArmed()) << "after start-up";
    Form().LBListFiles.SetSelected(1, true);
    window->Click(L"BitBtnStart");
    EXPECT_TRUE(LastFlags(MCI_OPEN) & MCI_NOTIFY); // start-up's arming reached the open
    EXPECT_FALSE(player.NotifyArmed());
    Tick();
    EXPECT_TRUE(player.NotifyArmed()) << "after the simulated press";
    Device(MCI_MODE_PLAY, 100);
    PressPlayer(btStop);
    EXPECT_TRUE(LastFlags(MCI_STOP) & MCI_NOTIFY);
    EXPECT_FALSE(player.NotifyArmed());
    Device(MCI_MODE_STOP, 500);
    Notify();
    EXPECT_TRUE(player.NotifyArmed()) << "after a notification";
    window->Close();
    EXPECT_FALSE(player.NotifyArmed()) << "after closing";
    EXPECT_FALSE(player.DeviceOpen());

    // Closed with no device, nothing has used start-up's arming: closing takes it back.
    WindowDriver idle(start.Path(), std::make_unique<test::FakeMciPort>(mci));
    ASSERT_TRUE(idle.Form().MediaPlayer1.NotifyArmed());
    idle.Close();
    EXPECT_FALSE(idle.Form().MediaPlayer1.NotifyArmed());
}

TEST_F(DeviceTest, TheTimerTicksEvery100MsFromCreation) {
    WindowDriver fresh(start.Path(), std::make_unique<test::FakeMciPort>(mci));
    EXPECT_TRUE(fresh.Form().Timer1.Running());
    EXPECT_EQ(fresh.Form().Timer1.Interval(), 100u);
}

TEST_F(DeviceTest, APressThatFindsPlayDisabledStillClearsThePendingPlay) {
    mci->caps[MCI_GETDEVCAPS_CAN_PLAY] = 0; // the device opens without Play
    Form().LBListFiles.SetSelected(0, true);
    window->Click(L"BitBtnStart");
    ASSERT_TRUE(Form().PlayPending);
    Tick();
    EXPECT_EQ(Sent(MCI_PLAY), 0);
    EXPECT_FALSE(Form().PlayPending);
    EXPECT_TRUE(Form().SequenceActive);
    // Play becomes available: no later tick presses it, the user does.
    Form().MediaPlayer1.SetAutoEnable(false);
    Tick();
    Tick();
    EXPECT_EQ(Sent(MCI_PLAY), 0);
    PressPlayer(btPlay);
    EXPECT_EQ(Sent(MCI_PLAY), 1);
}

TEST_F(DeviceTest, AClickOrKeyThatLeavesTheSelectionAsItWasKeepsPlaying) {
    ClickLine(1);
    window->Click(L"BitBtnStart");
    Tick();
    Device(MCI_MODE_PLAY, 100);
    ::SetFocus(window->Control(L"LBListFiles"));
    struct Step {
        int line; // clicked line, or 0 for the key
        UINT key;
        bool stops;
    };
    const Step steps[] = {
        {1, 0, false},       // the line playing, alone selected
        {0, VK_UP, false},   // Up on the first line
        {0, VK_HOME, false}, //
        {0, VK_DOWN, true},  // another line
    };
    for (const Step& s : steps) {
        if (s.line)
            ClickLine(s.line);
        else
            window->PressKey(s.key);
        EXPECT_EQ(Running(), !s.stops) << s.line << " " << s.key;
    }
    EXPECT_EQ(window->Text(L"StFileName"), Shown(1));
}

TEST_F(DeviceTest, AnyUserActionOnTheBarRunsItsHandler) {
    Form().LBListFiles.SetSelected(0, true);
    window->Click(L"BitBtnStart");
    Tick();
    HWND bar = window->Control(L"TrackBar1");

    // Paused at 500 with the bar at 25: a click on the thumb seeks to the bar again.
    Device(MCI_MODE_PAUSE, 500);
    Form().TrackBar1.SetPosition(25);
    mci->targets.clear();
    RECT thumb{};
    ::SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const LPARAM at = MAKELPARAM((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(bar, WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_EQ(mci->targets, std::vector<DWORD>{500});
    EXPECT_EQ(Form().TrackBar1.Position(), 25);

    // Stopped at the end with the bar at 0: Home goes back to the start.
    Form().TrackBar1.SetPosition(0);
    Device(MCI_MODE_STOP, 1000);
    mci->targets.clear();
    ::SetFocus(bar);
    window->PressKey(VK_HOME);
    EXPECT_EQ(mci->targets, std::vector<DWORD>{0});
    EXPECT_EQ(Form().TrackBar1.Position(), 0);

    // The program setting the bar where it is runs nothing.
    mci->targets.clear();
    Form().TrackBar1.SetPosition(0);
    EXPECT_TRUE(mci->targets.empty());
}

TEST_F(DeviceTest, ConditionMessagesCarryTheirIconAndBelongToTheWindow) {
    struct Case {
        const wchar_t* button;
        const wchar_t* caption;
        const wchar_t* text;
        UINT icon;
    };
    const Case cases[] = {
        {L"BtnFormList", L"Ошибка условия", L"Для поиска не выбрано ни одного канала.",
         MB_ICONERROR},
        {L"BitBtnStart", L"Предупреждение", L"Для воспроизведения не выбран файл.",
         MB_ICONEXCLAMATION},
    };
    for (const Case& c : cases) {
        MessageBoxCatcher boxes;
        window->Click(c.button);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const auto& box = boxes.Boxes()[0];
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.icon, c.icon);
        EXPECT_EQ(box.owner, Form().Handle());
    }
}

} // namespace
} // namespace voice::testing_support
