// The timeline window driven as a user would, over the real main window: opened by Ctrl+T,
// zoomed by the wheel, panned by dragging, worked with keys, its selection shared with
// LBListFiles both ways, and the playhead and heard marks during a real playback.

#include "gui/form.h"
#include "held_keys.h"
#include "keyboard_input.h"
#include "recording_encoder.h"
#include "test_host_window.h"
#include "timeline/heard_marks.h"
#include "timeline/timeline_window.h"
#include "timeline_lines.h"
#include "conversion/playback_paths.h"
#include "voice/frm_voice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace voice::timeline::test {
namespace {

namespace fs = std::filesystem;
using gui::testing::HeldKeys;
using gui::testing::Pump;
using gui::testing::PumpUntil;
using namespace std::chrono_literals;

class TimelineWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (L"voice_timeline_" + std::to_wstring(::GetCurrentProcessId()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / L"user");
        // The settings and the heard marks of this test's own user.
        ::SetEnvironmentVariableW(L"APPDATA", (dir_ / L"user").c_str());
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", (dir_ / L"user").c_str());
        previous_ = fs::current_path();
        fs::current_path(dir_);
        form = std::make_unique<TFrmVoice>();
        form->Show();
        form->ChooseExportFolder = [this](HWND) -> std::optional<fs::path> {
            ++folderQuestions;
            return std::nullopt;
        };
    }
    void TearDown() override {
        form.reset();
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Recordings of seconds each, on the given channels in turn, a minute apart from 10:00.
    void FillList(std::initializer_list<int> channels, double seconds = 0.5) {
        std::vector<std::uint8_t> tone(static_cast<std::size_t>(7860 * seconds));
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = i % 20 < 10 ? 100 : 156;
        const Bytes bytes = EncodeRecording(RecordingKind{1}, tone);
        lines.clear();
        int n = 0;
        for (int channel : channels) {
            const fs::path path =
                dir_ / (L"R" + std::to_wstring(n) + L"." + std::to_wstring(channel));
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            const Seconds start = Dec7(10, n);
            lines.push_back(LineOf(channel, start, start + 20, bytes.size(), path.wstring()));
            ++n;
        }
        form->LBListFiles.SetLines(lines);
        form->TimelineListChanged();
    }

    TimelineWindow& View() { return form->TimelineView(); }
    HWND ViewHandle() { return View().Handle(); }

    bool PressShortcutAt(HWND at, UINT key, std::initializer_list<int> held = {VK_CONTROL}) {
        HeldKeys keys(held);
        MSG msg{at, WM_KEYDOWN, key, 0};
        const bool used = gui::PreTranslateMessage(*form, msg);
        if (!used) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        Pump();
        return used;
    }
    // A key at the timeline through the program's message loop, modifiers held.
    void Key(UINT key, std::initializer_list<int> held = {}) {
        HeldKeys keys(held);
        MSG msg{ViewHandle(), WM_KEYDOWN, key, 0};
        gui::HandleLoopMessage(*form, msg);
        Pump();
    }
    void ClickAt(POINT p, WPARAM keys = 0) {
        ::SendMessageW(ViewHandle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
        ::SendMessageW(ViewHandle(), WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
        Pump();
    }
    std::vector<std::int32_t> ListSelection() {
        std::vector<std::int32_t> selected;
        for (int i = 0; i < form->LBListFiles.Count(); ++i)
            if (form->LBListFiles.Selected(i))
                selected.push_back(i);
        return selected;
    }
    // Wheel notches towards the middle of a line's bar, which stays under the pointer.
    void ZoomOnto(std::int32_t line, int notches) {
        const POINT bar = View().PointOfLine(line);
        POINT screen = bar;
        ::ClientToScreen(ViewHandle(), &screen);
        for (int i = 0; i < notches; ++i)
            ::SendMessageW(ViewHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                           MAKELPARAM(screen.x, screen.y));
    }
    // The window painted afresh: the colours at points of its client area.
    std::vector<COLORREF> Painted(const std::vector<POINT>& points) {
        RECT client{};
        ::GetClientRect(ViewHandle(), &client);
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        View().PaintInto(dc);
        std::vector<COLORREF> colours;
        for (const POINT& p : points)
            colours.push_back(::GetPixel(dc, p.x, p.y));
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        ::ReleaseDC(nullptr, screen);
        return colours;
    }
    void OpenTimeline() {
        PressShortcutAt(form->ControlHandle(L"LBListFiles"), 'T');
        ASSERT_TRUE(View().IsOpen());
    }

    fs::path dir_, previous_;
    std::unique_ptr<TFrmVoice> form;
    std::vector<std::wstring> lines;
    int folderQuestions = 0;
};

int TimelineWindowsOf(HWND owner) {
    struct Count {
        HWND owner;
        int n = 0;
    } count{owner};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Count*>(p);
            wchar_t cls[32]{};
            ::GetClassNameW(w, cls, 32);
            if (std::wstring(cls) == L"VoiceTimeline" && ::GetWindow(w, GW_OWNER) == c->owner &&
                ::IsWindowVisible(w))
                ++c->n;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

TEST_F(TimelineWindowTest, CtrlTOpensOneOwnedWindowEscClosesItAndItsPlaceIsKept) {
    FillList({1, 3, 1});
    OpenTimeline();
    EXPECT_EQ(TimelineWindowsOf(form->Handle()), 1);
    // Again, from another control: the same window comes to the front.
    PressShortcutAt(form->ControlHandle(L"BtnFormList"), 'T');
    EXPECT_EQ(TimelineWindowsOf(form->Handle()), 1);
    // The menu's command does the same.
    ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(kTimelineCommand, 0), 0);
    EXPECT_EQ(TimelineWindowsOf(form->Handle()), 1);

    ::SetWindowPos(ViewHandle(), nullptr, 40, 50, 700, 300, SWP_NOZORDER);
    Key(VK_ADD);
    const double zoom = View().Scale().SecondsPerPixel();
    Key(VK_ESCAPE);
    EXPECT_FALSE(View().IsOpen());
    EXPECT_EQ(TimelineWindowsOf(form->Handle()), 0);

    // Kept in the program's own settings file, and given back at the next opening.
    const UserSettingsFile saved(dir_ / L"user" / L"Voice" / L"Voice.ini");
    EXPECT_EQ(saved.Values().GetInt("timeline.width", 0, 0, 9999), 700);
    EXPECT_EQ(saved.Values().GetInt("timeline.left", 0, -9999, 9999), 40);
    OpenTimeline();
    RECT r{};
    ::GetWindowRect(ViewHandle(), &r);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_NEAR(View().Scale().SecondsPerPixel(), zoom, zoom * 1e-6);
}

TEST_F(TimelineWindowTest, LanesFollowTheListAndClearingEmptiesThem) {
    OpenTimeline(); // empty list: opens all the same
    EXPECT_TRUE(View().Model().lanes.empty());
    FillList({5, 2, 5, 7});
    std::vector<int> channels;
    for (const Lane& lane : View().Model().lanes)
        channels.push_back(lane.channel);
    EXPECT_EQ(channels, (std::vector<int>{2, 5, 7}));
    EXPECT_EQ(View().Model().recordings.size(), 4u);
    ::SendMessageW(form->ControlHandle(L"BtnClearList"), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(View().Model().lanes.empty());
    // Nothing to show: no axis of made-up days, nothing to scroll.
    SCROLLINFO scroll{sizeof(scroll), SIF_RANGE | SIF_PAGE};
    ::GetScrollInfo(ViewHandle(), SB_HORZ, &scroll);
    EXPECT_EQ(scroll.nMax - scroll.nMin, 0);
    HDC screen = ::GetDC(nullptr), dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 20, 20);
    ::SelectObject(dc, bitmap);
    View().PaintInto(dc);
    EXPECT_EQ(::GetPixel(dc, 3, 3), ::GetSysColor(COLOR_WINDOW)); // where the axis was
    ::DeleteDC(dc), ::DeleteObject(bitmap), ::ReleaseDC(nullptr, screen);
}

TEST_F(TimelineWindowTest, FoldingKeepsTheSelectionThatEnterAndTheMenuCommandsActOn) {
    FillList({1, 2, 1});
    OpenTimeline();
    View().SetLines(lines, 0, 0, DayWindowOf(true, L"09:00:00", true, L"11:00:00"));
    ClickAt(View().PointOfLine(2));
    ::SendMessageW(ViewHandle(), WM_COMMAND, TimelineWindow::kFoldCommand, 0);
    ASSERT_TRUE(View().Folded());
    EXPECT_EQ(View().SelectedLines(), std::vector<std::int32_t>{2});
    Key(VK_RETURN);
    EXPECT_EQ(form->CurrentIndex, 2);
    form->MediaPlayer1.Close();
    // The context menu's list commands reach the main window, on the shared selection.
    ::SendMessageW(ViewHandle(), WM_COMMAND, kExportSelectedCommand, 0);
    EXPECT_EQ(folderQuestions, 1);
    ClickAt(View().PointOfLine(0));
    ::SendMessageW(ViewHandle(), WM_COMMAND, TimelineWindow::kPlayCommand, 0);
    EXPECT_EQ(form->CurrentIndex, 0);
    form->MediaPlayer1.Close();
}

TEST_F(TimelineWindowTest, OneSelectionForTheListAndTheTimeline) {
    FillList({1, 2, 1, 2, 1, 2});
    OpenTimeline();
    ZoomOnto(2, 12); // about a second a pixel
    // The tooltip of the bar under the pointer, and none beside every bar.
    const POINT over = View().PointOfLine(3);
    ::SendMessageW(ViewHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(over.x, over.y));
    EXPECT_EQ(View().TooltipText(), L"Канал 2\nНачало: 07.12.2026 10:03:00\nКонец: 07.12.2026 "
                                    L"10:03:20\nДлительность: 0:00:20\nРазмер: " +
                                        std::to_wstring(ReadLineTimes(lines[3]).size) +
                                        L" байт\nФайл: " + std::wstring(ListLinePath(lines[3])));
    ::SendMessageW(ViewHandle(), WM_MOUSEMOVE, 0,
                   MAKELPARAM(View().Scale().Left() + 1, View().Layout().LaneTop(0) + 5));
    EXPECT_EQ(View().TooltipText(), L"");
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::int32_t> selected;
    };
    const Step steps[] = {
        {"click", [&] { ClickAt(View().PointOfLine(3)); }, {3}},
        {"Ctrl+click adds",
         [&] {
             HeldKeys held({VK_CONTROL});
             ClickAt(View().PointOfLine(0), MK_CONTROL);
         },
         {0, 3}},
        {"Ctrl+click removes",
         [&] {
             HeldKeys held({VK_CONTROL});
             ClickAt(View().PointOfLine(3), MK_CONTROL);
         },
         {0}},
        {"Shift+drag spans the lanes",
         [&] {
             const POINT a = View().PointOfLine(1, 0.2), b = View().PointOfLine(3, 0.2);
             HeldKeys held({VK_SHIFT});
             ::SendMessageW(ViewHandle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT,
                            MAKELPARAM(a.x, a.y));
             ::SendMessageW(ViewHandle(), WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT,
                            MAKELPARAM(b.x, a.y));
             ::SendMessageW(ViewHandle(), WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(b.x, a.y));
             Pump();
         },
         {1, 2, 3}},
        {"Ctrl+A", [&] { Key('A', {VK_CONTROL}); }, {0, 1, 2, 3, 4, 5}},
        {"a click beside every bar changes nothing",
         [&] {
             ClickAt({View().Scale().Left() + 2, View().Layout().LaneTop(0) + 5});
         },
         {0, 1, 2, 3, 4, 5}},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(ListSelection(), step.selected) << step.what;
        EXPECT_EQ(View().SelectedLines(), step.selected) << step.what;
    }

    // From the list: a user's click there shows in the timeline.
    HWND list = form->ControlHandle(L"LBListFiles");
    RECT item{};
    ::SendMessageW(list, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 5, item.top + 2));
    ::SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 5, item.top + 2));
    Pump();
    EXPECT_EQ(View().SelectedLines(), std::vector<std::int32_t>{4});
}

TEST_F(TimelineWindowTest, ASelectionInTheTimelineScrollsTheListToIt) {
    std::initializer_list<int> many = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8,
                                       1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8};
    FillList(many);
    OpenTimeline();
    ClickAt(View().PointOfLine(30));
    EXPECT_EQ(ListSelection(), std::vector<std::int32_t>{30});
    HWND list = form->ControlHandle(L"LBListFiles");
    const int top = static_cast<int>(::SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    RECT client{}, item{};
    ::GetClientRect(list, &client);
    ::SendMessageW(list, LB_GETITEMRECT, 30, reinterpret_cast<LPARAM>(&item));
    EXPECT_GT(top, 0);
    EXPECT_GE(item.top, 0);
    EXPECT_LE(item.bottom, client.bottom);
}

TEST_F(TimelineWindowTest, TheWheelZoomsAroundThePointerAndDraggingPans) {
    FillList({1, 2, 3});
    OpenTimeline();
    const TimeScale& scale = View().Scale();
    const double whole = scale.SecondsPerPixel();
    const int x = scale.Left() + scale.Width() / 3;
    POINT screen{x, View().Layout().LaneTop(0)};
    ::ClientToScreen(ViewHandle(), &screen);
    const double under = scale.TimeAt(x);
    for (int notch = 0; notch < 12; ++notch)
        ::SendMessageW(ViewHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                       MAKELPARAM(screen.x, screen.y));
    EXPECT_NEAR(scale.SecondsPerPixel(), whole / std::pow(1.5, 12), whole * 1e-9);
    EXPECT_NEAR(scale.TimeAt(x), under, 1e-3);

    SCROLLINFO before{};
    before.cbSize = sizeof(before);
    before.fMask = SIF_POS;
    ::GetScrollInfo(ViewHandle(), SB_HORZ, &before);
    const double start = scale.ShownStart();
    const std::vector<std::int32_t> selection = ListSelection();
    const int y = View().Layout().LaneTop(0) + 3;
    ::SendMessageW(ViewHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (int step = 1; step <= 10; ++step)
        ::SendMessageW(ViewHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x - 10 * step, y));
    ::SendMessageW(ViewHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x - 100, y));
    Pump();
    EXPECT_NEAR(scale.ShownStart() - start, 100 * scale.SecondsPerPixel(), 1e-6);
    EXPECT_EQ(ListSelection(), selection); // a drag selects nothing
    SCROLLINFO after{};
    after.cbSize = sizeof(after);
    after.fMask = SIF_POS;
    ::GetScrollInfo(ViewHandle(), SB_HORZ, &after);
    EXPECT_GT(after.nPos, before.nPos);

    // Back out: never farther than the whole axis.
    for (int notch = 0; notch < 30; ++notch)
        ::SendMessageW(ViewHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                       MAKELPARAM(screen.x, screen.y));
    EXPECT_DOUBLE_EQ(scale.SecondsPerPixel(), whole);
}

TEST_F(TimelineWindowTest, KeysMoveThroughTheRecordingsAndTheRestGoToTheMainWindow) {
    // Lines 0..5 at 10:00..10:05 on channels 1 2 1 2 1 3.
    FillList({1, 2, 1, 2, 1, 3});
    OpenTimeline();
    struct Step {
        UINT key;
        std::int32_t focused;
    };
    const Step steps[] = {
        {VK_HOME, 0}, {VK_RIGHT, 2}, {VK_RIGHT, 4}, {VK_RIGHT, 4}, {VK_DOWN, 3},
        {VK_DOWN, 5}, {VK_UP, 3},    {VK_LEFT, 1},  {VK_END, 5},
    };
    for (const Step& s : steps) {
        Key(s.key);
        EXPECT_EQ(View().FocusedLine(), s.focused) << s.key;
        EXPECT_EQ(ListSelection(), std::vector<std::int32_t>{s.focused}) << s.key;
    }
    const double zoom = View().Scale().SecondsPerPixel();
    Key(VK_ADD);
    EXPECT_DOUBLE_EQ(View().Scale().SecondsPerPixel(), zoom / 2);
    Key(VK_OEM_MINUS);
    EXPECT_DOUBLE_EQ(View().Scale().SecondsPerPixel(), zoom);

    // Ctrl+E is the main window's: it asks for the export folder of the selection.
    Key('E', {VK_CONTROL});
    EXPECT_EQ(folderQuestions, 1);
    // Enter plays the selection as the list's double-click does.
    Key(VK_RETURN);
    EXPECT_EQ(form->CurrentIndex, 5);
    // The media keys as the system reports them reach the player too.
    ASSERT_TRUE(form->MediaPlayer1.DeviceOpen());
    EXPECT_TRUE(::SendMessageW(ViewHandle(), WM_APPCOMMAND, 0,
                               MAKELPARAM(0, FAPPCOMMAND_KEY | APPCOMMAND_MEDIA_STOP)));
    EXPECT_NE(form->MediaPlayer1.Mode(), msPlaying);
    EXPECT_FALSE(::SendMessageW(ViewHandle(), WM_APPCOMMAND, 0,
                                MAKELPARAM(0, FAPPCOMMAND_KEY | APPCOMMAND_BROWSER_BACKWARD)));
}

TEST_F(TimelineWindowTest, PlayerKeysTypedHereActOnceAndASkipWhilePausedShowsAtOnce) {
    FillList({1, 2}, 12.0);
    OpenTimeline();
    ClickAt(View().PointOfLine(1));
    const auto type = [&](UINT key, std::initializer_list<UINT> held = {}) {
        gui::testing::TypeKey(*form, ViewHandle(), key, held);
    };
    TMediaPlayer& player = form->MediaPlayer1;
    type(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return form->SequenceActive && player.Position() >= 500; }, 90s));
    type(VK_MEDIA_PLAY_PAUSE);
    ASSERT_EQ(player.Mode(), msPaused);
    for (const auto& [key, skip] : {std::pair{VK_RIGHT, 5000}, std::pair{VK_LEFT, -5000}}) {
        const std::int32_t before = player.Position();
        type(key, {VK_CONTROL});
        const double now = player.Position(), length = player.Length();
        EXPECT_NEAR(now, before + skip, 400) << key;
        EXPECT_EQ(View().FocusedLine(), 1) << key; // a skip, not a move to another bar
        EXPECT_EQ(form->TrackBar1.Position(), static_cast<int>(now * 50 / length)) << key;
        EXPECT_NEAR(View().PlayheadX(), View().PointOfLine(1, now / length).x, 1) << key;
    }
    type(VK_MEDIA_PLAY_PAUSE);
    EXPECT_EQ(player.Mode(), msPlaying);
    // Space alone plays and pauses here, as a keyboard sends it.
    type(VK_SPACE);
    EXPECT_EQ(player.Mode(), msPaused);
    type(VK_SPACE);
    EXPECT_EQ(player.Mode(), msPlaying);
    EXPECT_EQ(ListSelection(), std::vector<std::int32_t>{1});
    player.Close();
}

// Answers the "Перейти к времени" dialog from inside its modal loop: each text in turn,
// then OK; counts the texts the dialog refused (it stayed open after OK).
struct GoToAnswers {
    std::vector<std::wstring> texts;
    std::size_t next = 0;
    int refused = 0;
};
GoToAnswers* answers = nullptr;

void CALLBACK AnswerGoTo(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = ::FindWindowW(nullptr, L"Перейти к времени");
    if (!dialog || !answers || answers->next >= answers->texts.size())
        return;
    if (answers->next > 0)
        ++answers->refused; // still open after the last OK
    ::SetDlgItemTextW(dialog, 100, answers->texts[answers->next++].c_str());
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(TimelineWindowTest, CtrlGGoesToTheTimeTypedAndRefusesWhatIsNoTime) {
    FillList({1, 3, 1, 1});
    OpenTimeline();
    GoToAnswers typed{{L"31.02.2026 10:00", L"07.12.2026 10:02:30"}};
    answers = &typed;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, AnswerGoTo);
    gui::testing::TypeKey(*form, ViewHandle(), 'G', {VK_CONTROL});
    ::KillTimer(nullptr, timer);
    answers = nullptr;
    EXPECT_EQ(typed.next, 2u);
    EXPECT_EQ(typed.refused, 1);
    const TimeScale& scale = View().Scale();
    EXPECT_NEAR(scale.X(Dec7(10, 2, 30)), scale.Left() + scale.Width() / 2.0, 2);
    EXPECT_LE(scale.SecondsPerPixel() * scale.Width(), 3600.5);
}

TEST_F(TimelineWindowTest, ThePlayheadCrossesTheBarDuringARealPlaybackWhichThenCountsAsHeard) {
    FillList({1, 2}, 3.0);
    OpenTimeline();
    ZoomOnto(1, 16); // the bar a hundred pixels wide
    const auto colourAt = [&](POINT p) {
        View().SetSelectedLines({});
        return Painted({p}).front();
    };
    const COLORREF unheard = colourAt(View().PointOfLine(1, 0.3));
    const POINT bar = View().PointOfLine(1);
    ::SendMessageW(ViewHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.x, bar.y));
    ::SendMessageW(ViewHandle(), WM_LBUTTONUP, 0, MAKELPARAM(bar.x, bar.y));
    ::SendMessageW(ViewHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(bar.x, bar.y));
    ::SendMessageW(ViewHandle(), WM_LBUTTONUP, 0, MAKELPARAM(bar.x, bar.y));

    std::vector<double> heads;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (View().PlayingLine() == 1 && (heads.empty() || View().PlayheadX() != heads.back()))
                heads.push_back(View().PlayheadX());
            return heads.size() >= 3;
        },
        90s));
    EXPECT_LT(heads.front(), heads.back()); // it moves forward
    const POINT start = View().PointOfLine(1, 0.0), end = View().PointOfLine(1, 1.0);
    for (double x : heads) {
        EXPECT_GE(x, start.x - 1);
        EXPECT_LE(x, end.x + 1);
    }
    // Scrolled away by the user, the view stays there while the recording plays on.
    ::SendMessageW(ViewHandle(), WM_HSCROLL, SB_LEFT, 0);
    const double away = View().Scale().ShownStart();
    const double lastHead = heads.back();
    ASSERT_TRUE(PumpUntil(
        [&] { return View().PlayheadX() != lastHead || View().PlayingLine() != 1; }, 90s));
    EXPECT_EQ(View().Scale().ShownStart(), away);
    // Back to the bar by the wheel, which leaves playback alone.
    POINT middle{View().Scale().Left() + 10, View().Layout().LaneTop(0)};
    ::ClientToScreen(ViewHandle(), &middle);
    for (int i = 0; i < 40; ++i)
        ::SendMessageW(ViewHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                       MAKELPARAM(middle.x, middle.y));
    ZoomOnto(1, 16);
    ASSERT_TRUE(PumpUntil([&] { return !form->MediaPlayer1.DeviceOpen(); }, 90s));
    EXPECT_EQ(View().PlayingLine(), -1);

    // Heard: in this user's marks file, and drawn muted.
    bool rewrite = false;
    const HeardMarks marks =
        LoadHeardMarks(dir_ / L"user" / L"Voice" / L"heard-marks.txt", rewrite);
    EXPECT_TRUE(marks.Heard(lines[1]));
    EXPECT_FALSE(marks.Heard(lines[0]));
    EXPECT_NE(colourAt(View().PointOfLine(1, 0.3)), unheard);

    // Cleared from the context menu's command.
    ::SendMessageW(ViewHandle(), WM_COMMAND, TimelineWindow::kClearHeardCommand, 0);
    EXPECT_FALSE(
        LoadHeardMarks(dir_ / L"user" / L"Voice" / L"heard-marks.txt", rewrite).Heard(lines[1]));
    EXPECT_EQ(colourAt(View().PointOfLine(1, 0.3)), unheard);
}

// A click on a lane's label, as a mouse sends it, mutes its channel in the incident playing:
// the label is struck through and the part playing is mixed again without it, from the
// same moment; M on a recording of the lane gives it back.
TEST_F(TimelineWindowTest, ALabelClickedMutesItsChannelInTheIncidentPlaying) {
    FillList({1, 2}, 12.0);
    OpenTimeline();
    Key('A', {VK_CONTROL});
    gui::testing::TypeKey(*form, ViewHandle(), VK_RETURN, {VK_CONTROL}); // as it happened
    TMediaPlayer& player = form->MediaPlayer1;
    ASSERT_TRUE(
        PumpUntil([&] { return form->Incident().Active() && player.Position() >= 1000; }, 90s));
    // The loudest sample of the playback file's first 10 s (stereo): until channel 2 starts
    // 14 s in, channel 1 sounds alone.
    const auto loudest = [&] {
        std::ifstream file(fs::path(PlaybackFilePath(form->StartDir)), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        int peak = 0;
        for (std::size_t i = 44; i + 1 < std::min<std::size_t>(bytes.size(), 44 + 10 * 7860 * 4);
             i += 2)
            peak = std::max(peak, std::abs(static_cast<std::int16_t>(
                                      static_cast<std::uint8_t>(bytes[i]) |
                                      static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
        return peak;
    };
    ASSERT_GT(loudest(), 1000);
    const auto labelPixels = [&] {
        std::vector<POINT> row;
        for (int x = 0; x < View().Layout().labelWidth; ++x)
            row.push_back({x, View().PointOfLabel(0).y});
        return Painted(row);
    };
    const std::vector<COLORREF> plain = labelPixels();
    const double before = form->Review().RecordingAt(player.Position());

    POINT label = View().PointOfLabel(0);
    ::ClientToScreen(ViewHandle(), &label);
    const LONG w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT mouse[3]{{INPUT_MOUSE}, {INPUT_MOUSE}, {INPUT_MOUSE}};
    mouse[0].mi = {label.x * 65536 / w + 1, label.y * 65536 / h + 1, 0,
                   MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE};
    mouse[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    mouse[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SetForegroundWindow(ViewHandle());
    ::SendInput(3, mouse, sizeof(INPUT));
    ASSERT_TRUE(PumpUntil([&] { return View().Sound().Muted(1); }, 10s));
    ASSERT_TRUE(PumpUntil([&] { return player.Mode() == msPlaying; }, 30s));
    EXPECT_FALSE(View().Sound().Muted(2));
    EXPECT_NE(labelPixels(), plain); // struck through
    EXPECT_LT(loudest(), 100);       // the part from here on holds channel 1 no more
    EXPECT_NEAR(form->Review().RecordingAt(player.Position()), before, 1.0);

    Key(VK_HOME, {VK_CONTROL}); // the focus to channel 1's recording, the selection kept
    gui::testing::TypeKey(*form, ViewHandle(), 'M');
    EXPECT_FALSE(View().Sound().Muted(1));
    EXPECT_EQ(labelPixels(), plain);
    ASSERT_TRUE(form->Incident().Active());
    EXPECT_GT(loudest(), 1000);
    player.Close();
}

} // namespace
} // namespace voice::timeline::test
