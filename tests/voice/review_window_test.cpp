// The listening aids in the real window on the real winmm and the sound sink: the
// "Воспроизведение" submenu and the caption, the choices remembered across windows, the
// processed playback file, a speed change while a recording plays, and the player's keys
// and media keys. At the default everything stays exactly as designed.

#include "conversion/playback_file_writer.h"
#include "gui/form.h"
#include "held_keys.h"
#include "keyboard_input.h"
#include "recording_encoder.h"
#include "test_host_window.h"
#include "timeline/timeline_window.h"
#include "voice/frm_voice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>

namespace voice::test {
namespace {

namespace fs = std::filesystem;
using gui::testing::HeldKeys;

const std::wstring kCaption = L"Воспроизведение записей";

// Generous, as these machines are shared and noisy.
bool PumpUntil(const std::function<bool()>& done) {
    return gui::testing::PumpUntil(done, std::chrono::seconds(90));
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A voiced tone with pauses, so every aid has something to do.
Bytes Speech(double seconds) {
    Bytes s(static_cast<std::size_t>(7860 * seconds), 128);
    for (std::size_t i = 0; i < s.size(); ++i)
        if ((i / 7860) % 3 != 2) // two seconds of tone, one of silence
            s[i] = static_cast<std::uint8_t>(128 + 60 * std::sin(i * 2 * 3.14159 * 150 / 7860));
    return s;
}

// 16-bit stereo at 16 kHz: a WAV recording of another layout.
Bytes StereoWav(double seconds) {
    Bytes data;
    for (int i = 0; i < static_cast<int>(16000 * seconds); ++i)
        for (int channel = 0; channel < 2; ++channel) {
            const auto v =
                static_cast<std::int16_t>(8000 * std::sin(i * 2 * 3.14159 * 200 / 16000));
            data.push_back(static_cast<std::uint8_t>(v));
            data.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    return EncodeWav(data, {16000, 2, 16});
}

class ReviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (L"voice_review_" + std::to_wstring(::GetCurrentProcessId()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / L"appdata");
        wchar_t saved[MAX_PATH]{};
        if (::GetEnvironmentVariableW(L"APPDATA", saved, MAX_PATH) > 0)
            savedAppData_ = saved;
        ::SetEnvironmentVariableW(L"APPDATA", (dir_ / L"appdata").c_str());
        previousDir_ = fs::current_path();
        fs::current_path(dir_);
        OpenWindow();
    }
    void TearDown() override {
        form.reset();
        fs::current_path(previousDir_);
        ::SetEnvironmentVariableW(L"APPDATA", savedAppData_ ? savedAppData_->c_str() : nullptr);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    void OpenWindow() {
        form.reset();
        form = std::make_unique<TFrmVoice>();
        form->Show();
    }

    // times: the line's start and end columns; by default a minute of its own.
    void AddLine(const Bytes& recording, wchar_t channel = L'1', std::wstring times = {}) {
        const int n = static_cast<int>(lines_.size()) + 1;
        const fs::path path = dir_ / (L"R" + std::to_wstring(n) + L".1");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(recording.data()),
                   static_cast<std::streamsize>(recording.size()));
        if (times.empty())
            times = L"07.12.26 10:0" + std::to_wstring(n) + L":00  07.12.26 10:0" +
                    std::to_wstring(n) + L":09";
        std::wstring line =
            std::wstring(1, channel) + L"  " + times + L"  " + std::to_wstring(recording.size());
        line.resize(80, L' ');
        lines_.push_back(line + path.wstring());
        form->LBListFiles.SetLines(lines_);
    }
    void Select(std::initializer_list<int> lineNumbers) {
        for (int n : lineNumbers)
            form->LBListFiles.SetSelected(n - 1, true);
    }
    std::wstring Shown(int lineNumber) const { return lines_[lineNumber - 1].substr(0, 52); }
    std::wstring Text(HWND window) const {
        wchar_t text[256]{};
        ::GetWindowTextW(window, text, 256);
        return text;
    }
    std::wstring Caption() const { return Text(form->Handle()); }
    std::wstring ShownFileName() const { return Text(form->ControlHandle(L"StFileName")); }

    // The submenu as the list's context menu holds it: item texts without their keys, and
    // the checked ones (the incident's options apart).
    struct Submenu {
        std::map<std::wstring, UINT> ids;
        std::set<std::wstring> checked, incidentChecked;
    };
    Submenu PlaybackSubmenu() const {
        gui::PopupMenu menu;
        form->AppendPlaybackMenu(menu);
        Submenu result;
        HMENU sub = nullptr;
        for (int i = 0; i < ::GetMenuItemCount(menu.Handle()); ++i) {
            wchar_t text[64]{};
            ::GetMenuStringW(menu.Handle(), i, text, 64, MF_BYPOSITION);
            if (std::wstring(text) == L"Воспроизведение")
                sub = ::GetSubMenu(menu.Handle(), i);
        }
        EXPECT_NE(sub, nullptr);
        for (int i = 0; sub && i < ::GetMenuItemCount(sub); ++i) {
            wchar_t text[64]{};
            ::GetMenuStringW(sub, i, text, 64, MF_BYPOSITION);
            std::wstring name = text;
            name = name.substr(0, name.find(L'\t'));
            if (name.empty())
                continue;
            result.ids[name] = ::GetMenuItemID(sub, i);
            const bool incident =
                name == L"Пропускать тишину между записями" || name == L"Разносить каналы";
            if (::GetMenuState(sub, i, MF_BYPOSITION) & MF_CHECKED)
                (incident ? result.incidentChecked : result.checked).insert(name);
        }
        return result;
    }
    // The item chosen, as the menu reports it to the window.
    void Choose(const std::wstring& item) {
        const UINT id = PlaybackSubmenu().ids.at(item);
        ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    // A key typed in a control, handed to the message loop's translation.
    bool PressKey(const wchar_t* focus, UINT key, std::initializer_list<int> held = {VK_CONTROL}) {
        HeldKeys keys(held);
        MSG msg{form->ControlHandle(focus), WM_KEYDOWN, key, 0, 0, {}};
        if (gui::PreTranslateMessage(*form, msg))
            return true;
        ::DispatchMessageW(&msg);
        return false;
    }
    // A key as a keyboard sends it, at a control.
    void Type(const wchar_t* focus, UINT key, std::initializer_list<UINT> held = {}) {
        gui::testing::TypeKey(*form, form->ControlHandle(focus), key, held);
    }
    bool Mode(TMPState mode) {
        return form->MediaPlayer1.DeviceOpen() && form->MediaPlayer1.Mode() == mode;
    }
    bool Playing() { return Mode(msPlaying); }
    fs::path PlaybackFile() const { return dir_ / L"$$$.Wav"; }
    void LetTicksPass(int n = 5) {
        int ticks = 0;
        auto tick = form->Timer1.OnTimer;
        form->Timer1.OnTimer = [&] { ++ticks, tick(); };
        PumpUntil([&] { return ticks >= n; });
        form->Timer1.OnTimer = tick;
    }

    fs::path dir_, previousDir_;
    std::optional<std::wstring> savedAppData_;
    std::vector<std::wstring> lines_;
    std::unique_ptr<TFrmVoice> form;
};

TEST_F(ReviewWindowTest, AtTheDefaultTheCaptionAndEveryPlaybackFileAreAsDesigned) {
    EXPECT_EQ(Caption(), kCaption);
    for (int kind = 1; kind <= 7; ++kind)
        AddLine(EncodeRecording(static_cast<RecordingKind>(kind), Speech(1)));
    AddLine(StereoWav(1));
    const fs::path designedDir = dir_ / L"designed";
    fs::create_directories(designedDir);
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        form->ConvertToPlaybackFile(i);
        const Bytes shown = ReadAll(PlaybackFile());
        FileHandleField recording, playback;
        WritePlaybackFile(lines_[i], designedDir.wstring(), recording, playback);
        EXPECT_EQ(shown, ReadAll(designedDir / L"$$$.Wav")) << "line " << i + 1;
    }
    form->MediaPlayer1.Close();
}

TEST_F(ReviewWindowTest, TheSubmenuChecksTheChoicesAndTheCaptionNamesThem) {
    const struct {
        const wchar_t* item;
        std::wstring caption;
        std::set<std::wstring> checked;
    } steps[] = {
        {L"1,5×", kCaption + L" — 1,5×", {L"1,5×"}},
        {L"Сокращать паузы", kCaption + L" — 1,5×, паузы сокращены", {L"1,5×", L"Сокращать паузы"}},
        {L"Быстрее", kCaption + L" — 1,75×, паузы сокращены", {L"1,75×", L"Сокращать паузы"}},
        {L"Выравнивать громкость",
         kCaption + L" — 1,75×, паузы сокращены, громкость выровнена",
         {L"1,75×", L"Сокращать паузы", L"Выравнивать громкость"}},
        {L"Обычная скорость",
         kCaption + L" — паузы сокращены, громкость выровнена",
         {L"1×", L"Сокращать паузы", L"Выравнивать громкость"}},
        {L"Медленнее",
         kCaption + L" — 0,75×, паузы сокращены, громкость выровнена",
         {L"0,75×", L"Сокращать паузы", L"Выравнивать громкость"}},
        {L"1×",
         kCaption + L" — паузы сокращены, громкость выровнена",
         {L"1×", L"Сокращать паузы", L"Выравнивать громкость"}},
        {L"Сокращать паузы",
         kCaption + L" — громкость выровнена",
         {L"1×", L"Выравнивать громкость"}},
        {L"Выравнивать громкость", kCaption, {L"1×"}},
    };
    EXPECT_EQ(PlaybackSubmenu().checked, std::set<std::wstring>{L"1×"});
    EXPECT_EQ(PlaybackSubmenu().ids.size(), 9u + 3u + 2u + 2u);
    for (const auto& step : steps) {
        Choose(step.item);
        EXPECT_EQ(Caption(), step.caption) << step.item;
        EXPECT_EQ(PlaybackSubmenu().checked, step.checked) << step.item;
    }
}

TEST_F(ReviewWindowTest, SpeedKeysWorkFromEveryKindOfControl) {
    const struct {
        const wchar_t* focus;
        UINT key;
        std::initializer_list<int> held;
        const wchar_t* speed; // in the caption afterwards; empty for normal speed
    } steps[] = {
        {L"LBListFiles", VK_OEM_PLUS, {VK_CONTROL}, L"1,25×"},
        {L"BitBtnStart", VK_OEM_PLUS, {VK_CONTROL, VK_SHIFT}, L"1,5×"},
        {L"DTPicker0", VK_ADD, {VK_CONTROL}, L"1,75×"},
        {L"TrackBar1", VK_OEM_MINUS, {VK_CONTROL}, L"1,5×"},
        {L"RGSort", VK_SUBTRACT, {VK_CONTROL}, L"1,25×"},
        {L"ChBxAutoStart", '0', {VK_CONTROL}, L""},
        {L"LBListFiles", VK_OEM_MINUS, {VK_CONTROL}, L"0,75×"},
        {L"LBListFiles", VK_OEM_MINUS, {VK_CONTROL}, L"0,5×"},
        {L"LBListFiles", VK_OEM_MINUS, {VK_CONTROL}, L"0,5×"}, // the slowest stays
        {L"DirectoryListBox1", VK_NUMPAD0, {VK_CONTROL}, L""},
        {L"LBListFiles", VK_OEM_MINUS, {}, L""}, // without Ctrl the list keeps the key
    };
    for (const auto& step : steps) {
        PressKey(step.focus, step.key, step.held);
        const std::wstring speed = step.speed;
        EXPECT_EQ(Caption(), speed.empty() ? kCaption : kCaption + L" — " + speed)
            << step.focus << " " << step.key;
    }
}

TEST_F(ReviewWindowTest, ChoicesAreRememberedForTheNextWindow) {
    Choose(L"2,5×");
    Choose(L"Сокращать паузы");
    Choose(L"Пропускать тишину между записями");
    const Bytes stored = ReadAll(dir_ / L"appdata" / L"Voice" / L"Voice.ini");
    const std::string ini(stored.begin(), stored.end());
    EXPECT_NE(ini.find("playback.speed=2.5\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("incident.skipSilence=0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("playback.shortenPauses=1\r\n"), std::string::npos) << ini;
    const Bytes table = ReadAll(dir_ / L"BegDir.Ini");
    EXPECT_EQ(std::string(table.begin(), table.end()).find("playback"), std::string::npos);

    OpenWindow();
    EXPECT_EQ(Caption(), kCaption + L" — 2,5×, паузы сокращены");
    EXPECT_EQ(PlaybackSubmenu().checked, (std::set<std::wstring>{L"2,5×", L"Сокращать паузы"}));
    EXPECT_EQ(PlaybackSubmenu().incidentChecked, std::set<std::wstring>{L"Разносить каналы"});
    Choose(L"1×");
    Choose(L"Сокращать паузы");
    OpenWindow();
    EXPECT_EQ(Caption(), kCaption);
}

TEST_F(ReviewWindowTest, EveryFormIsWrittenAtTheSpeedChosen) {
    // The speed alone keeps the recorder's 8-bit form (stretched as it is converted); an
    // option, or a WAV of another layout, gives 16-bit mono.
    const struct {
        Bytes recording;
        const wchar_t* speed;
        double factor;
        int rate;
        int bits;
    } cases[] = {
        {EncodeRecording(RecordingKind::HeaderlessPcm, Speech(4)), L"2×", 2, 7860, 8},
        {EncodeRecording(RecordingKind::SwappedRuns, Speech(4)), L"0,5×", 0.5, 7860, 8},
        {EncodeRecording(RecordingKind::Wav, Speech(4)), L"1,5×", 1.5, 7860, 8},
        {StereoWav(4), L"3×", 3, 16000, 16},
    };
    for (const auto& c : cases)
        AddLine(c.recording);
    const auto check = [&](int line, double factor, int rate, int bits) {
        ASSERT_TRUE(form->MediaPlayer1.DeviceOpen()) << line;
        EXPECT_NEAR(form->MediaPlayer1.Length(), 4000 / factor, 4000 / factor * 0.01) << line;
        const Bytes file = ReadAll(PlaybackFile());
        ASSERT_GE(file.size(), 44u);
        EXPECT_EQ(file[22] | file[23] << 8, 1) << "mono, line " << line + 1;
        EXPECT_EQ(file[34] | file[35] << 8, bits) << "line " << line + 1;
        EXPECT_EQ(file[24] | file[25] << 8 | file[26] << 16, rate) << line;
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        Choose(cases[i].speed);
        form->ConvertToPlaybackFile(i);
        check(i, cases[i].factor, cases[i].rate, cases[i].bits);
    }
    // A later change starts from the samples the first stretch left: the headerless
    // recording itself, only ever read, and the decoded one's designed file in memory.
    for (int line : {0, 1}) {
        Choose(L"2×");
        form->CurrentIndex = line;
        form->ConvertToPlaybackFile(line);
        Choose(L"1,25×");
        check(line, 1.25, 7860, 16);
        EXPECT_EQ(ReadAll(dir_ / (L"R" + std::to_wstring(line + 1) + L".1")),
                  cases[line].recording);
    }
    std::set<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(dir_))
        names.insert(entry.path().filename().wstring());
    EXPECT_EQ(names, (std::set<std::wstring>{L"appdata", L"BegDir.Ini", L"R1.1", L"R2.1", L"R3.1",
                                             L"R4.1", PlaybackFile().filename().wstring()}));
    Choose(L"Выравнивать громкость");
    form->ConvertToPlaybackFile(0);
    check(0, 1.25, 7860, 16);
    Choose(L"Выравнивать громкость");
    form->MediaPlayer1.Close();
}

TEST_F(ReviewWindowTest, ASpeedChangeWhilePlayingContinuesFromTheSameMoment) {
    AddLine(EncodeRecording(RecordingKind::InvertedRuns, Speech(9)));
    AddLine(EncodeRecording(RecordingKind::HeaderlessPcm, Speech(3)));
    Select({1, 2});
    form->ChBxAutoStart.SetChecked(true);
    ::SendMessageW(form->ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 2000; }));

    const double before = form->MediaPlayer1.Position() / 1000.0;
    EXPECT_TRUE(PressKey(L"LBListFiles", VK_OEM_PLUS)); // 1,25×
    EXPECT_TRUE(Playing());
    EXPECT_NEAR(form->Review().From(), before, 0.5);
    EXPECT_NEAR(form->MediaPlayer1.Length(), (9 - form->Review().From()) / 1.25 * 1000, 100);
    EXPECT_EQ(ShownFileName(), Shown(1));

    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 1000; }));
    const double played = form->Review().From() + form->MediaPlayer1.Position() / 1000.0 * 1.25;
    EXPECT_TRUE(PressKey(L"LBListFiles", VK_OEM_PLUS)); // 1,5×
    EXPECT_TRUE(Playing());
    EXPECT_NEAR(form->Review().From(), played, 0.5);
    EXPECT_NEAR(form->MediaPlayer1.Length(), (9 - form->Review().From()) / 1.5 * 1000, 100);

    // The sequence's advance: the next line plays, processed at the new speed from its start.
    ASSERT_TRUE(PumpUntil([&] { return ShownFileName() == Shown(2) && Playing(); }));
    EXPECT_EQ(form->Review().From(), 0);
    EXPECT_NEAR(form->MediaPlayer1.Length(), 3000 / 1.5, 30);
    ASSERT_TRUE(
        PumpUntil([&] { return !form->SequenceActive && !form->MediaPlayer1.DeviceOpen(); }));
    EXPECT_EQ(ShownFileName(), L"");
}

// 16-bit stereo at 16 kHz, longer than a part: a tone whose level tells the second it was
// recorded in, so the playback file shows which moment of the recording it starts at.
constexpr int kLongRate = 16000;
double LevelOfSecond(int second) {
    return 0.05 + 0.08 * (second % 10);
}
Bytes LongStereoWav(int seconds, double (*levelOfSecond)(int) = LevelOfSecond) {
    Bytes data;
    data.reserve(static_cast<std::size_t>(seconds) * kLongRate * 4);
    for (int i = 0; i < seconds * kLongRate; ++i) {
        const auto v = static_cast<std::int16_t>(32767 * levelOfSecond(i / kLongRate) *
                                                 std::sin(i * 2 * 3.14159 * 200 / kLongRate));
        for (int channel = 0; channel < 2; ++channel) {
            data.push_back(static_cast<std::uint8_t>(v));
            data.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    return EncodeWav(data, {kLongRate, 2, 16});
}

// The tone's level in the 16-bit mono playback file around an output second.
double LevelAt(const Bytes& file, double outputSeconds) {
    const auto first = static_cast<std::size_t>((outputSeconds - 0.15) * kLongRate);
    const auto last = static_cast<std::size_t>((outputSeconds + 0.15) * kLongRate);
    double sum = 0;
    for (std::size_t i = first; i < last; ++i) {
        const auto v = static_cast<std::int16_t>(file.at(44 + 2 * i) | file.at(45 + 2 * i) << 8);
        sum += static_cast<double>(v) * v;
    }
    return std::sqrt(sum / static_cast<double>(last - first) * 2) / 32767;
}

TEST_F(ReviewWindowTest, SpeedChangesInALongRecordingPlayAPartFromTheSameMoment) {
    AddLine(LongStereoWav(400));
    Select({1});
    form->TimelineClick();
    timeline::TimelineWindow& view = form->TimelineView();
    POINT bar = view.PointOfLine(0);
    ::ClientToScreen(view.Handle(), &bar);
    for (int notch = 0; notch < 40; ++notch)
        ::SendMessageW(view.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                       MAKELPARAM(bar.x, bar.y));
    ASSERT_GT(view.PointOfLine(0, 1.0).x - view.PointOfLine(0, 0.0).x, 100);
    ::SendMessageW(form->ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 500; }));
    for (int i = 0; i < 6; ++i)
        PressKey(L"LBListFiles", VK_RIGHT); // 30 s on: the part must not start at 0
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 31000; }));
    const struct {
        UINT key;
        double speed; // afterwards
        double skip;  // source seconds the key moves the moment
    } steps[] = {
        {VK_OEM_PLUS, 1.25, 0},
        {VK_OEM_PLUS, 1.5, 0},
        {VK_LEFT, 1.5, -5}, // before the part's start: a part from there
        {'0', 1, 0},
    };
    double speed = 1;
    for (const auto& step : steps) {
        ASSERT_TRUE(Playing()) << step.key;
        const double moment =
            form->Review().From() + form->MediaPlayer1.Position() / 1000.0 * speed + step.skip;
        EXPECT_TRUE(PressKey(L"LBListFiles", step.key));
        speed = step.speed;
        ASSERT_TRUE(PumpUntil([&] { return Playing(); })) << step.key;
        const double origin = form->Review().From();
        const double part = form->Review().NextPart().value_or(0) - origin;
        // Positions move in steps of a third of a second, and a loaded machine adds to it.
        EXPECT_NEAR(origin, moment, 1.0) << step.key;
        EXPECT_GT(origin, 25) << step.key;
        EXPECT_GE(part, 240) << step.key;
        EXPECT_LE(part, 300) << step.key;
        EXPECT_NEAR(form->MediaPlayer1.Length(), part / speed * 1000, part / speed * 10)
            << step.key;
        // What sounds first is the recording from that moment, at that speed.
        const Bytes file = ReadAll(PlaybackFile());
        const int second = static_cast<int>(std::ceil(origin));
        EXPECT_NEAR(LevelAt(file, (second + 0.5 - origin) / speed), LevelOfSecond(second), 0.03)
            << step.key;
        EXPECT_NEAR(LevelAt(file, (second + 1.5 - origin) / speed), LevelOfSecond(second + 1), 0.03)
            << step.key;
        ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 700; }));
        // The bar and the playhead span the recording, not the part playing; both follow
        // the player at the next tick, which a loaded machine may delay.
        auto now = [&] { return (origin + form->MediaPlayer1.Position() / 1000.0 * speed) / 400; };
        EXPECT_TRUE(PumpUntil([&] {
            return std::abs(form->TrackBar1.Position() - 50 * now()) <= 1.0 &&
                   std::abs(view.PlayheadX() - view.PointOfLine(0, now()).x) <= 2.0;
        })) << step.key << ": bar " << form->TrackBar1.Position() << ", recording at " << now();
    }
    form->MediaPlayer1.Close();
}

// Quiet, then loud after the parts played below: judged on all of it, the loud end sets the
// level (the speech, -20 dB full scale); judged on the samples up to a part's end, the
// recording would pass for quiet noise and keep its own level instead.
double QuietThenLoud(int second) {
    return second < 340 ? 0.05 : 0.4;
}

TEST_F(ReviewWindowTest, APartIsLevelledAsTheWholeRecordingIs) {
    AddLine(LongStereoWav(400, QuietThenLoud));
    Select({1});
    ::SendMessageW(form->ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 500; }));
    for (int i = 0; i < 6; ++i)
        PressKey(L"LBListFiles", VK_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 31000; }));
    // The loud tone's RMS brought to -20 dB full scale: the quiet one comes out 18 dB under.
    const double levelled = 0.05 * 0.1 / (0.4 / std::sqrt(2.0));
    const struct {
        const wchar_t* item; // chosen from the submenu, or a speed key
        UINT key;
        double speed;
    } steps[] = {{L"Выравнивать громкость", 0, 1}, // judged once, here
                 {nullptr, VK_OEM_PLUS, 1.25},     // the kept judgement
                 {nullptr, VK_OEM_PLUS, 1.5}};
    for (const auto& step : steps) {
        if (step.item)
            Choose(step.item);
        else
            EXPECT_TRUE(PressKey(L"LBListFiles", step.key));
        ASSERT_TRUE(PumpUntil([&] { return Playing(); }))
            << form->MediaPlayer1.DeviceOpen() << " mode " << int(form->MediaPlayer1.Mode())
            << " origin " << form->Review().From() << " part "
            << form->Review().NextPart().value_or(0) << " held " << form->Review().source.Held()
            << " length " << form->MediaPlayer1.Length();
        EXPECT_GT(form->Review().From(), 25);
        EXPECT_GT(form->Review().NextPart().value_or(0),
                  form->Review().From() + 200); // a part, not the whole
        const Bytes file = ReadAll(PlaybackFile());
        EXPECT_NEAR(LevelAt(file, 1.0), levelled, 0.002) << form->Review().options.speed;
        EXPECT_NEAR(LevelAt(file, 100.0 / step.speed), levelled, 0.002);
        ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 700; }));
    }
    form->MediaPlayer1.Close();
}

TEST_F(ReviewWindowTest, ASpeedChangeWhilePausedKeepsTheMomentAndTheWholeRecording) {
    AddLine(EncodeRecording(RecordingKind::HeaderlessPcm, Speech(8)));
    Select({1});
    ::SendMessageW(form->ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 1500; }));
    PressKey(L"LBListFiles", 'P'); // pause
    ASSERT_TRUE(Mode(msPaused));
    const std::int32_t moment = form->MediaPlayer1.Position();
    Choose(L"2×");
    EXPECT_NEAR(form->MediaPlayer1.Length(), 4000, 40); // the whole recording
    EXPECT_NEAR(form->MediaPlayer1.Position(), moment / 2, 150);
    PressKey(L"LBListFiles", 'P'); // on from there
    EXPECT_TRUE(Playing());
    EXPECT_GE(form->MediaPlayer1.Position(), moment / 2 - 150);
    form->MediaPlayer1.Close();
}

TEST_F(ReviewWindowTest, PlayerKeysAndMediaKeysDriveTheSequence) {
    for (int n = 1; n <= 4; ++n)
        AddLine(EncodeRecording(RecordingKind::HeaderlessPcm, Speech(12)));
    Select({1, 3, 4});
    HWND list = form->ControlHandle(L"LBListFiles");
    const auto appCommand = [&](int command) {
        ::SendMessageW(list, WM_APPCOMMAND, reinterpret_cast<WPARAM>(list),
                       MAKELPARAM(0, FAPPCOMMAND_KEY | command));
    };
    const auto positionNear = [&](int expected) {
        return std::abs(form->MediaPlayer1.Position() - expected) <= 400;
    };

    EXPECT_TRUE(PressKey(L"LBListFiles", 'P')); // nothing loaded: starts as "Start" does
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    EXPECT_EQ(ShownFileName(), Shown(1));
    appCommand(APPCOMMAND_MEDIA_PLAY_PAUSE);
    EXPECT_TRUE(Mode(msPaused));
    Type(L"BitBtnStart", VK_MEDIA_PLAY_PAUSE); // one press, one toggle
    EXPECT_TRUE(Playing());

    EXPECT_TRUE(PressKey(L"LBListFiles", VK_NEXT)); // Ctrl+PgDn: line 2 is not selected
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    EXPECT_EQ(ShownFileName(), Shown(3));
    appCommand(APPCOMMAND_MEDIA_NEXTTRACK);
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    EXPECT_EQ(ShownFileName(), Shown(4));
    PressKey(L"TrackBar1", VK_PRIOR);
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    EXPECT_EQ(ShownFileName(), Shown(3));
    Type(L"LBListFiles", VK_MEDIA_PREV_TRACK);
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));
    EXPECT_EQ(ShownFileName(), Shown(1));
    PressKey(L"LBListFiles", VK_PRIOR); // the first selected line has none before it
    EXPECT_EQ(ShownFileName(), Shown(1));
    EXPECT_TRUE(Playing());

    PressKey(L"LBListFiles", 'Q'); // stop: stays loaded in the middle, does not advance
    EXPECT_TRUE(Mode(msStopped));
    const std::int32_t stopped = form->MediaPlayer1.Position();
    Type(L"LBListFiles", VK_RIGHT, {VK_CONTROL});
    EXPECT_TRUE(positionNear(stopped + 5000));
    EXPECT_EQ(form->TrackBar1.Position(), // at once
              form->MediaPlayer1.Position() * 50 / form->MediaPlayer1.Length());
    PressKey(L"MEDTime0", VK_LEFT); // a text field keeps its word move
    EXPECT_TRUE(positionNear(stopped + 5000));
    PressKey(L"ChBxAutoStart", VK_LEFT);
    EXPECT_TRUE(positionNear(stopped));
    PressKey(L"LBListFiles", VK_LEFT);
    EXPECT_EQ(form->MediaPlayer1.Position(), 0);
    Type(L"LBListFiles", VK_MEDIA_PLAY_PAUSE);
    ASSERT_TRUE(PumpUntil([&] { return Playing() && form->MediaPlayer1.Position() >= 500; }));
    PressKey(L"LBListFiles", VK_RIGHT); // while playing it plays on from the new place
    EXPECT_TRUE(Playing());
    EXPECT_GE(form->MediaPlayer1.Position(), 5000);
    appCommand(APPCOMMAND_MEDIA_STOP);
    EXPECT_TRUE(Mode(msStopped));
    EXPECT_EQ(ShownFileName(), Shown(1));
    LetTicksPass();
    EXPECT_EQ(ShownFileName(), Shown(1));
    form->MediaPlayer1.Close();
}

TEST_F(ReviewWindowTest, CtrlEnterPlaysOverlappingChannelsMixedAndTheTimelineFollowsTheirTime) {
    // Six seconds of tone each: channel 1 from 10:00:00, channel 2 from 10:00:03.
    const auto tone = [](double level) {
        Bytes s(7860 * 6);
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = static_cast<std::uint8_t>(128 + level * std::sin(i * 2 * 3.14159 * 150 / 7860));
        return s;
    };
    AddLine(tone(30), L'1', L"07.12.26 10:00:00  07.12.26 10:00:06");
    AddLine(tone(90), L'2', L"07.12.26 10:00:03  07.12.26 10:00:09");
    Select({1, 2});
    form->TimelineClick();
    Type(L"LBListFiles", VK_RETURN, {VK_CONTROL});
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }));

    // Stereo 16-bit: channel 1 on the left, channel 2 on the right, both in the overlap.
    const Bytes file = ReadAll(PlaybackFile());
    ASSERT_GT(file.size(), 44u + 9 * 7860 * 4 - 100);
    const auto level = [&](double second, int side) {
        double sum = 0;
        const auto first = static_cast<std::size_t>(second * 7860);
        for (std::size_t f = first; f < first + 786; ++f) {
            const std::size_t at = 44 + 4 * f + 2 * static_cast<std::size_t>(side);
            sum += std::abs(static_cast<std::int16_t>(file[at] | file[at + 1] << 8));
        }
        return sum / 786;
    };
    const struct {
        double second;
        bool left, right;
    } moments[] = {{1, true, false}, {4.5, true, true}, {7.5, false, true}};
    for (const auto& m : moments) {
        EXPECT_EQ(level(m.second, 0) > 300, m.left) << m.second;
        EXPECT_EQ(level(m.second, 1) > 300, m.right) << m.second;
    }
    EXPECT_GT(level(4.5, 1), 2 * level(4.5, 0)); // each at its own level

    // Paused in the overlap: the name and the playhead are the recording that started last.
    ASSERT_TRUE(PumpUntil([&] { return form->MediaPlayer1.Position() >= 4000; }));
    Type(L"LBListFiles", 'P', {VK_CONTROL});
    ASSERT_TRUE(PumpUntil([&] { return Mode(msPaused); }));
    LetTicksPass(3);
    const double at = form->MediaPlayer1.Position() / 1000.0;
    ASSERT_LT(at, 6.0);
    EXPECT_EQ(ShownFileName(), Shown(2));
    timeline::TimelineWindow& view = form->TimelineView();
    EXPECT_EQ(view.PlayingLine(), 1);
    EXPECT_NEAR(view.PlayheadX(), view.PointOfLine(1, (at - 3) / 6).x, 2.0);
}

} // namespace
} // namespace voice::test
