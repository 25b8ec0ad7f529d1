// From a speed key (Ctrl+=, Ctrl+0) pressed while a one-hour recording plays to the player
// reporting play at the new speed, against a floor measured in the same run: opening a
// 16-bit WAV of the same length on MCI and starting it. Three changes per run: the first
// from the designed file (it is set aside, then read a part at a time), one between two
// speeds and back to normal speed. Bar: 150 ms.
//
//   speed_change_bench [seconds of recording, default 3600]

#include "../bench_files.h"
#include "conversion/playback_samples.h"
#include "conversion/playback_source.h"
#include "conversion/reviewed_playback_file.h"
#include "conversion/wav/wav_header.h"
#include "gui/form.h"
#include "gui/popup_menu.h"
#include "recording_encoder.h"
#include "voice/frm_voice.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace voice;
using namespace voice::bench;

constexpr int kRuns = 3; // best of, against the noise of a shared machine

// Speech-like: a voiced tone in bursts with pauses, so every aid has work to do.
Bytes Samples(std::size_t count) {
    Bytes s(count, 128);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        const bool voiced = (i / 7860) % 4 != 3;
        const int tone = voiced ? static_cast<int>(50 * ((i * 150 / 7860) % 2 ? 1 : -1)) : 0;
        s[i] = static_cast<std::uint8_t>(128 + tone + static_cast<int>((state >> 16) % 5) - 2);
    }
    return s;
}

template <typename Done> bool PumpUntil(Done done) {
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (Clock::now() > end)
            return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(1);
    }
    return true;
}

// The key handed to the message loop as the user's Ctrl+key, until the player plays the
// new file.
double KeyToPlaying(TFrmVoice& form, UINT key) {
    BYTE saved[256];
    ::GetKeyboardState(saved);
    BYTE held[256];
    std::copy(std::begin(saved), std::end(saved), held);
    held[VK_CONTROL] = 0x80;
    ::SetKeyboardState(held);
    MSG msg{form.ControlHandle(L"LBListFiles"), WM_KEYDOWN, key, 0, 0, {}};
    const auto begin = Clock::now();
    gui::PreTranslateMessage(form, msg);
    PumpUntil([&] { return form.MediaPlayer1.Mode() == msPlaying; });
    const double seconds = Seconds(Clock::now() - begin);
    ::SetKeyboardState(saved);
    return seconds;
}

// A "Воспроизведение" item chosen from the list's context menu, until the player plays
// the new file.
double ChooseToPlaying(TFrmVoice& form, const std::wstring& item) {
    gui::PopupMenu menu;
    form.AppendPlaybackMenu(menu);
    UINT id = 0;
    for (int i = 0; i < ::GetMenuItemCount(menu.Handle()); ++i) {
        HMENU sub = ::GetSubMenu(menu.Handle(), i);
        for (int k = 0; sub && k < ::GetMenuItemCount(sub); ++k) {
            wchar_t text[64]{};
            ::GetMenuStringW(sub, k, text, 64, MF_BYPOSITION);
            if (std::wstring(text).starts_with(item))
                id = ::GetMenuItemID(sub, k);
        }
    }
    const auto begin = Clock::now();
    ::SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    PumpUntil([&] { return form.MediaPlayer1.Mode() == msPlaying; });
    return Seconds(Clock::now() - begin);
}

// Opening a 16-bit WAV of the same length and starting it.
double Floor(const fs::path& wav) {
    const auto begin = Clock::now();
    MCI_OPEN_PARMSW open{};
    open.lpstrElementName = wav.c_str();
    if (::mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT,
                          reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 1e9;
    MCI_PLAY_PARMS play{};
    ::mciSendCommandW(open.wDeviceID, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play));
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_MODE;
    do
        ::mciSendCommandW(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                          reinterpret_cast<DWORD_PTR>(&status));
    while (status.dwReturn != MCI_MODE_PLAY && Seconds(Clock::now() - begin) < 10);
    const double seconds = Seconds(Clock::now() - begin);
    MCI_GENERIC_PARMS close{};
    ::mciSendCommandW(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 3600;
    const fs::path dir = fs::temp_directory_path() /
                         (L"voice_speed_bench_" + std::to_wstring(::GetCurrentProcessId()));
    fs::create_directories(dir / L"appdata");
    ::SetEnvironmentVariableW(L"APPDATA", (dir / L"appdata").c_str()); // the user's stay
    wchar_t previous[MAX_PATH]{};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(dir.c_str());

    const Bytes samples = Samples(static_cast<std::size_t>(7860 * seconds));
    const fs::path recording = dir / L"R1.1";
    WriteBytes(recording, EncodeRecording(RecordingKind::InvertedRuns, samples));
    const fs::path wav = dir / L"floor.wav";
    {
        auto bytes = Mono16WavHeader(7860, static_cast<std::uint32_t>(samples.size() * 2));
        bytes.resize(bytes.size() + samples.size() * 2);
        WriteBytes(wav, bytes);
    }
    const std::wstring line = ListLine(recording);

    const char* names[] = {"1x -> 1.25x (from the designed file)", "1.25x -> 1.5x", "1.5x -> 1x"};
    const char* judgedNames[] = {"1x -> 1.25x", "1.25x -> 1.5x", "1.5x -> 1x"};
    const UINT keys[] = {VK_OEM_PLUS, VK_OEM_PLUS, '0'};
    double best[3] = {1e9, 1e9, 1e9};
    double judged[3] = {1e9, 1e9, 1e9}; // the same with the level and the pauses on
    double firstJudged = 1e9;           // turning them on: the recording judged once
    double afterStretched = 1e9;        // a change once it was loaded at 1.5x
    double floor = 1e9;
    {
        TFrmVoice form;
        form.LBListFiles.SetLines(std::span(&line, 1));
        for (int run = 0; run < kRuns; ++run) {
            form.LBListFiles.SetSelected(0, true);
            ::SendMessageW(form.ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);
            if (!PumpUntil([&] {
                    return form.MediaPlayer1.Mode() == msPlaying &&
                           form.MediaPlayer1.Position() >= 1000;
                })) {
                std::fprintf(stderr, "the recording did not play\n");
                return 1;
            }
            for (int k = 0; k < 3; ++k)
                best[k] = std::min(best[k], KeyToPlaying(form, keys[k]));
            firstJudged = std::min(firstJudged, ChooseToPlaying(form, L"Выравнивать громкость"));
            ChooseToPlaying(form, L"Сокращать паузы");
            for (int k = 0; k < 3; ++k)
                judged[k] = std::min(judged[k], KeyToPlaying(form, keys[k]));
            ChooseToPlaying(form, L"Выравнивать громкость");
            ChooseToPlaying(form, L"Сокращать паузы");
            floor = std::min(floor, Floor(wav));
            form.LBListFilesClick(); // stops and closes
        }
        // Loaded at 1.5x: stretched as it was converted, its designed file kept in memory.
        const review::ReviewOptions atOneAndAHalf{1.5, false, false};
        form.ChangeReviewOptions(atOneAndAHalf);
        for (int run = 0; run < kRuns; ++run) {
            form.LBListFiles.SetSelected(0, true);
            ::SendMessageW(form.ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);
            PumpUntil([&] {
                return form.MediaPlayer1.Mode() == msPlaying &&
                       form.MediaPlayer1.Position() >= 1000;
            });
            afterStretched = std::min(afterStretched, KeyToPlaying(form, VK_OEM_PLUS));
            form.LBListFilesClick();
            form.ChangeReviewOptions(atOneAndAHalf);
        }
    }
    // Where the time goes: reading a part's stretch of the designed file (and, for the level
    // and the pauses, everything before it too), processing the part, writing the file.
    {
        const fs::path designed = dir / L"designed.wav";
        {
            const WavHeader header = WavHeaderForSource(samples.size());
            std::vector<std::uint8_t> bytes(header.size() + samples.size());
            std::copy(header.begin(), header.end(), bytes.begin());
            std::copy(samples.begin(), samples.end(), bytes.begin() + header.size());
            WriteBytes(designed, bytes);
        }
        PlaybackSource source;
        source.Take(designed.wstring());
        source.SetAside((dir / L"aside.wav").wstring());
        auto begin = Clock::now();
        const std::vector<float> part = source.Read(1.0, 361.0);
        const double read = Seconds(Clock::now() - begin);
        begin = Clock::now();
        const double whole = static_cast<double>(source.Read(0.0, INFINITY).size());
        const double readWhole = Seconds(Clock::now() - begin);
        begin = Clock::now();
        auto processed = review::ProcessFrom(part, 7860, {1.25, false, false}, 0.0);
        const double process = Seconds(Clock::now() - begin);
        begin = Clock::now();
        WriteMono16PlaybackFile((dir / L"parts.wav").wstring(), 7860, processed.samples);
        const double write = Seconds(Clock::now() - begin);
        // Half-way through with the level and the pauses on: judged from the start.
        begin = Clock::now();
        const std::vector<float> upTo = source.Read(0.0, 1800.0 + 361.0);
        const double readUpTo = Seconds(Clock::now() - begin);
        begin = Clock::now();
        review::ProcessFrom(upTo, 7860, {1.25, true, true}, 1800.0);
        const double processUpTo = Seconds(Clock::now() - begin);
        std::printf("a part from 1800 s with the level and the pauses, judged again: reading "
                    "from the start %.3f s, processing %.3f s\n",
                    readUpTo, processUpTo);
        // The same with the recording judged once and kept: only the part is read.
        begin = Clock::now();
        const std::vector<float> all = source.Read(0.0, INFINITY);
        const review::RecordingAnalysis analysis = review::AnalyseRecording(all, 7860);
        const double analyse = Seconds(Clock::now() - begin);
        begin = Clock::now();
        const std::vector<float> rest = source.Read(1800.0, 361.0);
        const double readRest = Seconds(Clock::now() - begin);
        begin = Clock::now();
        review::ProcessFrom(rest, 7860, {1.25, true, true}, 1800.0, analysis);
        const double processRest = Seconds(Clock::now() - begin);
        std::printf("the same with the kept analysis: reading %.3f s, processing %.3f s (judging "
                    "the whole recording once: %.3f s, keeping %zu cuts)\n",
                    readRest, processRest, analyse, analysis.cuts.size());
        std::printf("a 361 s part at 1.25x: reading %.3f s, processing %.3f s, 16-bit file %.3f s; "
                    "reading all %.0f s: %.3f s\n",
                    read, process, write, whole / 7860, readWhole);
    }
    std::printf("speed change to sounding for %ld s of recording (best of %d); floor: MCI open "
                "+ play of a 16-bit WAV as long: %.3f s\n",
                seconds, kRuns, floor);
    for (int k = 0; k < 3; ++k)
        std::printf("%-38s %7.3f s, ratio %6.2f (bar 0.150 s)\n", names[k], best[k],
                    best[k] / floor);
    std::printf("%-38s %7.3f s, ratio %6.2f (bar 0.150 s)\n", "loaded at 1.5x, then 1.75x",
                afterStretched, afterStretched / floor);
    std::printf("with the level and pauses options on (turning them on, judging the recording "
                "once: %.3f s):\n",
                firstJudged);
    for (int k = 0; k < 3; ++k)
        std::printf("%-38s %7.3f s, ratio %6.2f (bar 0.150 s)\n", judgedNames[k], judged[k],
                    judged[k] / floor);
    ::SetCurrentDirectoryW(previous);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
