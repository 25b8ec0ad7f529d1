// Playback sequencing in the real window, on the real winmm and the sound sink: selected
// lines play one after another, the position bar follows and seeks, and what stops or
// restarts a sequence.

#include "recording_encoder.h"
#include "voice/frm_voice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace voice::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kTimeout = 90s; // shared, noisy machines: generous, never a fixed sleep

// Pumps messages until done() holds; false when the timeout passed first.
template <typename Done> bool PumpUntil(Done done, std::chrono::seconds timeout = kTimeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

// Answers every message box the window shows (with OK) and remembers caption and text.
class MessageBoxWatch {
public:
    MessageBoxWatch() : uiThread_(::GetCurrentThreadId()), watcher_([this] { Watch(); }) {}
    ~MessageBoxWatch() {
        stop_ = true;
        watcher_.join();
    }
    std::vector<std::pair<std::wstring, std::wstring>> Seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    void Watch() {
        while (!stop_) {
            ::EnumThreadWindows(uiThread_, &MessageBoxWatch::Found, reinterpret_cast<LPARAM>(this));
            std::this_thread::sleep_for(20ms);
        }
    }
    static BOOL CALLBACK Found(HWND window, LPARAM self) {
        wchar_t cls[16]{};
        ::GetClassNameW(window, cls, 16);
        if (std::wstring(cls) != L"#32770" || !::IsWindowVisible(window))
            return TRUE;
        auto* watch = reinterpret_cast<MessageBoxWatch*>(self);
        wchar_t caption[256]{}, text[512]{};
        ::GetWindowTextW(window, caption, 256);
        ::GetDlgItemTextW(window, 0xFFFF, text, 512);
        {
            std::lock_guard lock(watch->mutex_);
            watch->seen_.emplace_back(caption, text);
        }
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        std::this_thread::sleep_for(100ms); // let it close before looking again
        return TRUE;
    }

    DWORD uiThread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::pair<std::wstring, std::wstring>> seen_;
    std::thread watcher_;
};

// Half a second of an audible tone, so each recording plays in about a second.
Bytes Tone(std::size_t samples = 3930) {
    Bytes s(samples);
    for (std::size_t i = 0; i < samples; ++i)
        s[i] = static_cast<std::uint8_t>(i % 20 < 10 ? 100 : 156);
    return s;
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A list line as the search makes it: 80 display columns, then the path.
std::wstring ListLine(int n, const fs::path& path) {
    std::wstring line = L"1  07.12.26 10:0" + std::to_wstring(n) + L":00  07.12.26 10:0" +
                        std::to_wstring(n) + L":01  " + std::to_wstring(fs::file_size(path));
    line.resize(80, L' ');
    return line + path.wstring();
}

class SequencingTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (L"voice_sequencing_" + std::to_wstring(::GetCurrentProcessId()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / L"rec");
        wchar_t previous[MAX_PATH]{};
        ::GetCurrentDirectoryW(MAX_PATH, previous);
        previousDir_ = previous;
        // StartDir: BegDir.Ini and the playback file stay in the test's own directory.
        ::SetCurrentDirectoryW(dir_.c_str());
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
        ::SetCurrentDirectoryW(previousDir_.c_str());
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Lines 1..count, recordings of kinds 1 to 6 in turn.
    void FillList(int count, const Bytes& samples = Tone()) {
        std::vector<std::wstring> lines;
        for (int n = 1; n <= count; ++n) {
            const auto kind = static_cast<RecordingKind>((n - 1) % 6 + 1);
            const fs::path path = dir_ / L"rec" / (L"R" + std::to_wstring(n) + L".1");
            WriteBytes(path, EncodeRecording(kind, samples));
            lines.push_back(ListLine(n, path));
        }
        SetLines(lines);
    }
    void SetLines(const std::vector<std::wstring>& lines) {
        lines_ = lines;
        form->LBListFiles.SetLines(lines_);
    }
    void Select(std::initializer_list<int> lineNumbers) {
        for (int n : lineNumbers)
            form->LBListFiles.SetSelected(n - 1, true);
    }
    std::wstring Shown(int lineNumber) const { return lines_[lineNumber - 1].substr(0, 52); }
    std::wstring ShownFileName() const {
        wchar_t text[256]{};
        ::GetWindowTextW(form->ControlHandle(L"StFileName"), text, 256);
        return text;
    }
    void PressStart() { ::SendMessageW(form->ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0); }
    void PressPlayer(int x) {
        HWND player = form->MediaPlayer1.Handle();
        ::SendMessageW(player, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 7));
        ::SendMessageW(player, WM_LBUTTONUP, 0, MAKELPARAM(x, 7));
    }
    // A user's click on a list line: the selection changes to that line alone.
    void ClickListLine(int lineNumber) {
        HWND list = form->ControlHandle(L"LBListFiles");
        RECT r{};
        ::SendMessageW(list, LB_GETITEMRECT, lineNumber - 1, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    }
    bool Playing() {
        return form->MediaPlayer1.DeviceOpen() && form->MediaPlayer1.Mode() == msPlaying;
    }
    bool Idle() { return !form->SequenceActive && !form->MediaPlayer1.DeviceOpen(); }
    // Lets a few timer ticks pass.
    void Ticks(int n) {
        int ticks = 0;
        auto tick = form->Timer1.OnTimer;
        form->Timer1.OnTimer = [&] {
            ++ticks;
            tick();
        };
        PumpUntil([&] { return ticks >= n; });
        form->Timer1.OnTimer = tick;
    }

    fs::path dir_;
    std::wstring previousDir_;
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
    EXPECT_EQ(played, (std::vector<std::wstring>{Shown(2), Shown(5)}));
    EXPECT_EQ(ShownFileName(), L"");
    EXPECT_EQ(form->TrackBar1.Position(), 0);
    EXPECT_EQ(form->CurrentIndex, 4);
}

TEST_F(SequencingTest, WithoutAutostartTheNextLineWaitsForPlay) {
    FillList(6);
    Select({2, 5});
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return ShownFileName() == Shown(5); }));
    Ticks(5);
    EXPECT_EQ(played, std::vector<std::wstring>{Shown(2)});
    EXPECT_TRUE(form->MediaPlayer1.DeviceOpen());
    EXPECT_EQ(form->MediaPlayer1.Mode(), msStopped);
    EXPECT_EQ(form->MediaPlayer1.Position(), 0);
    EXPECT_EQ(form->TrackBar1.Position(), 0);
    EXPECT_FALSE(form->SequenceActive);

    PressPlayer(7);
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(played, (std::vector<std::wstring>{Shown(2), Shown(5)}));
    EXPECT_EQ(ShownFileName(), L"");
}

TEST_F(SequencingTest, ChangingTheSelectionStopsPlayback) {
    FillList(3, Tone(7860 * 3));
    Select({1, 2, 3});
    form->ChBxAutoStart.SetChecked(true);
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    ClickListLine(3);
    EXPECT_TRUE(Idle());
    Ticks(5);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(played, std::vector<std::wstring>{Shown(1)});
    EXPECT_EQ(ShownFileName(), Shown(1)); // the interrupted recording's name stays
}

TEST_F(SequencingTest, StartWhileRunningBeginsAgainAtTheFirstSelectedLine) {
    FillList(3);
    Select({3, 2}); // the first selected line is the first by index, not by order of selection
    form->ChBxAutoStart.SetChecked(true);
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return played.size() == 2 && Playing(); }));
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return played.size() == 3; }));
    EXPECT_EQ(played, (std::vector<std::wstring>{Shown(2), Shown(3), Shown(2)}));
}

TEST_F(SequencingTest, BarFollowsThePositionAndSeeksWhilePaused) {
    const struct {
        std::int32_t position, length;
        int bar;
    } cases[] = {{0, 1000, 0}, {999, 1000, 49}, {1000, 1000, 50}, {500, 0, 50}};
    for (const auto& c : cases) {
        form->ShowPlayPosition(c.position, c.length);
        EXPECT_EQ(form->TrackBar1.Position(), c.bar) << c.position << "/" << c.length;
    }
    form->TrackBar1.SetPosition(0); // no device: moving the bar does nothing

    FillList(1, Tone(7860 * 4));
    Select({1});
    PressStart();
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    ASSERT_TRUE(PumpUntil([&] { return form->TrackBar1.Position() > 0; }));
    PressPlayer(30); // Pause
    ASSERT_EQ(form->MediaPlayer1.Mode(), msPaused);
    const std::int32_t length = form->MediaPlayer1.Length();
    form->TrackBar1.SetPosition(25);
    EXPECT_EQ(form->MediaPlayer1.Position(), length * 25 / 50);
}

TEST_F(SequencingTest, AnUnplayableLineLeavesTheSequenceIdleWithoutAMessage) {
    const fs::path undecodable = dir_ / L"rec" / L"K7.1";
    WriteBytes(undecodable, EncodeRecording(RecordingKind::Undecodable, Tone()));
    const std::wstring lines[] = {ListLine(1, undecodable),
                                  ListLine(2, undecodable).substr(0, 80) +
                                      (dir_ / L"rec" / L"missing.1").wstring()};
    MessageBoxWatch boxes;
    for (const std::wstring& line : lines) {
        SCOPED_TRACE(line.substr(80));
        SetLines({line});
        Select({1});
        PressStart();
        EXPECT_TRUE(Idle());
        EXPECT_TRUE(form->PlayPending);
        EXPECT_EQ(ShownFileName(), line.substr(0, 52));
        Ticks(3);
        EXPECT_TRUE(Idle());
    }
    EXPECT_TRUE(played.empty());
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(SequencingTest, StartWithoutSelectionWarns) {
    FillList(2);
    MessageBoxWatch boxes;
    PressStart();
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, L"Предупреждение");
    EXPECT_EQ(seen[0].second, L"Для воспроизведения не выбран файл.");
    EXPECT_EQ(form->CurrentIndex, -1);
    EXPECT_FALSE(form->PlayPending);
}

} // namespace
} // namespace voice::test
