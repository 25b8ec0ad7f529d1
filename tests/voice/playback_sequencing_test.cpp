// Playback sequencing in the real window, on the real winmm and the sound sink: selected
// lines play one after another, the position bar follows and seeks, and what stops or
// restarts a sequence.

#include "recording_encoder.h"
#include "test_host_window.h"
#include "voice/frm_voice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace voice::test {
namespace {

namespace fs = std::filesystem;

// Generous, as these machines are shared and noisy.
bool PumpUntil(const std::function<bool()>& done) {
    return gui::testing::PumpUntil(done, std::chrono::seconds(90));
}

// Answers every message box of this thread with OK and keeps "caption|text" of each.
class MessageBoxWatch {
public:
    MessageBoxWatch()
        : watcher_([this, ui = ::GetCurrentThreadId()] {
              while (!stop_) {
                  ::EnumThreadWindows(ui, &Found, reinterpret_cast<LPARAM>(this));
                  ::Sleep(20);
              }
          }) {}
    ~MessageBoxWatch() {
        stop_ = true;
        watcher_.join();
    }
    std::atomic<bool> stop_{false};
    // Written by the watcher before it answers a box, so it is complete once the box is gone.
    std::wstring seen;

private:
    static BOOL CALLBACK Found(HWND window, LPARAM self) {
        wchar_t cls[16]{}, caption[64]{}, text[256]{};
        ::GetClassNameW(window, cls, 16);
        if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(window)) {
            ::GetWindowTextW(window, caption, 64);
            ::GetDlgItemTextW(window, 0xFFFF, text, 256);
            reinterpret_cast<MessageBoxWatch*>(self)->seen += caption + std::wstring(L"|") + text;
            ::SendMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }
    std::thread watcher_;
};

class SequencingTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (L"voice_sequencing_" + std::to_wstring(::GetCurrentProcessId()));
        fs::create_directories(dir_);
        previousDir_ = fs::current_path();
        fs::current_path(dir_); // StartDir: BegDir.Ini and the playback file stay in here
        form = std::make_unique<TFrmVoice>();
        form->Show();
        auto postClick = form->MediaPlayer1.OnPostClick;
        form->MediaPlayer1.OnPostClick = [this, postClick](TMPBtnType button) {
            if (button == btPlay)
                played.push_back(ShownFileName());
            postClick(button);
        };
    }
    void TearDown() override {
        form.reset();
        fs::current_path(previousDir_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Lines 1..count; their recordings cycle through the stored forms 1 to 6 (7 when asked).
    void FillList(int count, double seconds = 0.5, bool undecodable = false) {
        std::vector<std::uint8_t> tone(static_cast<size_t>(7860 * seconds));
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = i % 20 < 10 ? 100 : 156;
        lines_.clear();
        for (int n = 1; n <= count; ++n) {
            const auto kind = static_cast<RecordingKind>(undecodable ? 7 : (n - 1) % 6 + 1);
            const fs::path path = dir_ / (L"R" + std::to_wstring(n) + L".1");
            const Bytes bytes = EncodeRecording(kind, tone);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            std::wstring line = L"1  07.12.26 10:0" + std::to_wstring(n) + L":00  07.12.26 10:0" +
                                std::to_wstring(n) + L":01  " + std::to_wstring(bytes.size());
            line.resize(80, L' ');
            lines_.push_back(line + path.wstring());
        }
        form->LBListFiles.SetLines(lines_);
    }
    void Select(std::initializer_list<int> lineNumbers) {
        for (int n : lineNumbers)
            form->LBListFiles.SetSelected(n - 1, true);
    }
    std::wstring Shown(int lineNumber) const { return lines_[lineNumber - 1].substr(0, 52); }
    std::wstring ShownFileName() const {
        wchar_t text[128]{};
        ::GetWindowTextW(form->ControlHandle(L"StFileName"), text, 128);
        return text;
    }
    void PressStart() { ::SendMessageW(form->ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0); }
    void PressPlayer(int x) {
        ::SendMessageW(form->MediaPlayer1.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 7));
        ::SendMessageW(form->MediaPlayer1.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, 7));
    }
    // A user's click on a list line: that line alone is selected.
    void ClickListLine(int lineNumber) {
        HWND list = form->ControlHandle(L"LBListFiles");
        RECT r{};
        ::SendMessageW(list, LB_GETITEMRECT, lineNumber - 1, reinterpret_cast<LPARAM>(&r));
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 5, r.top + 2));
        ::SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, r.top + 2));
    }
    bool Playing() {
        return form->MediaPlayer1.DeviceOpen() && form->MediaPlayer1.Mode() == msPlaying;
    }
    bool Idle() { return !form->SequenceActive && !form->MediaPlayer1.DeviceOpen(); }
    void LetTicksPass(int n) {
        int ticks = 0;
        auto tick = form->Timer1.OnTimer;
        form->Timer1.OnTimer = [&] { ++ticks, tick(); };
        PumpUntil([&] { return ticks >= n; });
        form->Timer1.OnTimer = tick;
    }

    fs::path dir_, previousDir_;
    std::vector<std::wstring> lines_;
    std::unique_ptr<TFrmVoice> form;
    std::vector<std::wstring> played; // StFileName at each Play press that acted
};

TEST_F(SequencingTest, SelectedLinesPlayInTurnWithAutostart) {
    FillList(6);
    Select({2, 5});
    form->ChBxAutoStart.SetChecked(true);
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return played.size() == 2 && Idle(); }));
    EXPECT_EQ(played, (std::vector{Shown(2), Shown(5)}));
    EXPECT_EQ(ShownFileName(), L"");
    EXPECT_EQ(form->TrackBar1.Position(), 0);
}

TEST_F(SequencingTest, WithoutAutostartTheNextLineWaitsForPlay) {
    FillList(6);
    Select({2, 5});
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return ShownFileName() == Shown(5); }));
    LetTicksPass(5);
    EXPECT_EQ(played, std::vector{Shown(2)});
    EXPECT_EQ(form->MediaPlayer1.Mode(), msStopped);
    EXPECT_EQ(form->TrackBar1.Position(), 0);

    PressPlayer(7);
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(played, (std::vector{Shown(2), Shown(5)}));
    EXPECT_EQ(ShownFileName(), L"");
}

TEST_F(SequencingTest, ChangingTheSelectionStopsPlayback) {
    FillList(3, 3.0);
    Select({1, 2, 3});
    form->ChBxAutoStart.SetChecked(true);
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    ClickListLine(3);
    EXPECT_TRUE(Idle());
    LetTicksPass(5);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(played, std::vector{Shown(1)});
    EXPECT_EQ(ShownFileName(), Shown(1)); // the interrupted recording's name stays
}

TEST_F(SequencingTest, StartWhileRunningBeginsAgainAtTheFirstSelectedLine) {
    FillList(3);
    Select({3, 2}); // first by index, not by the order of selecting
    form->ChBxAutoStart.SetChecked(true);
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return played.size() == 2 && Playing(); }));
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return played.size() == 3; }));
    EXPECT_EQ(played, (std::vector{Shown(2), Shown(3), Shown(2)}));
}

TEST_F(SequencingTest, BarFollowsThePositionAndSeeksWhilePaused) {
    const int cases[][3] = {{0, 1000, 0}, {999, 1000, 49}, {1000, 1000, 50}, {500, 0, 50}};
    for (const auto& [position, length, bar] : cases) {
        form->ShowPlayPosition(position, length);
        EXPECT_EQ(form->TrackBar1.Position(), bar) << position << "/" << length;
    }
    form->TrackBar1.SetPosition(0); // no device: moving the bar does nothing

    FillList(1, 4.0);
    Select({1});
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->TrackBar1.Position() > 0; }));
    PressPlayer(30); // Pause
    ASSERT_EQ(form->MediaPlayer1.Mode(), msPaused);
    form->TrackBar1.SetPosition(25);
    EXPECT_EQ(form->MediaPlayer1.Position(), form->MediaPlayer1.Length() * 25 / 50);
}

TEST_F(SequencingTest, NothingSelectedWarnsAndUnplayableLinesStayQuiet) {
    MessageBoxWatch boxes;
    FillList(1, 0.5, true);
    PressStart();
    EXPECT_EQ(boxes.seen, L"Предупреждение|Для воспроизведения не выбран файл.");
    EXPECT_EQ(form->CurrentIndex, -1);
    boxes.seen.clear();

    std::wstring missing = lines_[0].substr(0, 80) + (dir_ / L"missing.1").wstring();
    for (const std::wstring& line : {lines_[0], missing}) { // undecodable, unreadable
        form->LBListFiles.SetLines(std::vector{line});
        Select({1});
        PressStart();
        EXPECT_TRUE(Idle());
        EXPECT_EQ(ShownFileName(), line.substr(0, 52));
        LetTicksPass(3);
        EXPECT_TRUE(Idle());
    }
    boxes.stop_ = true;
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(boxes.seen, L"");
}

} // namespace
} // namespace voice::test
