// From "Start" to the MCI play command for a one-hour recording of each stored form
// (the conversion into the playback file included), against a floor measured in the
// same run: copying that recording plus opening a WAV of the same length on MCI.
// Prints one ratio per form.
//
//   playback_start_bench [seconds of recording, default 3600]

#include "../bench_files.h"
#include "conversion/playback_file_writer.h"
#include "playback/media_player.h"
#include "recording_encoder.h"
#include "voice/frm_voice.h"

#include <algorithm>
#include <chrono>
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

// Speech-like samples: runs and steps, so the run-coded forms are neither trivial nor
// pathological.
Bytes Samples(std::size_t count) {
    Bytes s(count);
    std::uint32_t state = 12345;
    std::uint8_t value = 128;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        if ((state >> 16) % 4 == 0)
            value = static_cast<std::uint8_t>(96 + (state >> 20) % 64);
        s[i] = value;
    }
    return s;
}

// Floor: copy the recording, then open (and close) a WAV of the same length on MCI.
double Floor(const fs::path& recording, const fs::path& wav, const fs::path& copy) {
    const auto start = Clock::now();
    ::CopyFileW(recording.c_str(), copy.c_str(), FALSE);
    MCI_OPEN_PARMSW open{};
    open.lpstrElementName = wav.c_str();
    const MCIERROR error = ::mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT,
                                             reinterpret_cast<DWORD_PTR>(&open));
    const double seconds = Seconds(Clock::now() - start);
    if (error == 0) {
        MCI_GENERIC_PARMS close{};
        ::mciSendCommandW(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
    }
    ::DeleteFileW(copy.c_str());
    return seconds;
}

// The conversion alone, as the window runs it.
double ConversionOnly(TFrmVoice& form, const std::wstring& line) {
    const auto begin = Clock::now();
    WritePlaybackFile(line, form.StartDir, form.RecordingHandle, form.PlaybackHandle);
    return Seconds(Clock::now() - begin);
}

// "Start" pressed, then the timer's tick that sends the play command.
double StartToPlay(TFrmVoice& form) {
    HWND start = form.ControlHandle(L"BitBtnStart");
    const auto begin = Clock::now();
    ::SendMessageW(start, BM_CLICK, 0, 0);
    form.Timer1Timer();
    const double seconds = Seconds(Clock::now() - begin);
    if (form.MediaPlayer1.Mode() != msPlaying)
        std::fprintf(stderr, "warning: not playing after the tick\n");
    form.LBListFilesClick(); // stops and closes
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 3600;
    const fs::path dir = fs::temp_directory_path() /
                         (L"voice_playback_bench_" + std::to_wstring(::GetCurrentProcessId()));
    fs::create_directories(dir);
    wchar_t previous[MAX_PATH]{};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(dir.c_str()); // StartDir: the playback file goes here

    const Bytes samples = Samples(static_cast<std::size_t>(7860 * seconds));
    const fs::path wav = dir / L"floor.wav";
    WriteBytes(wav, EncodeRecording(RecordingKind::Wav, samples));

    std::printf("start-to-play for %ld s of recording, ratio to copy + MCI open (best of %d)\n",
                seconds, kRuns);
    {
        TFrmVoice form;
        for (int kind = 1; kind <= 6; ++kind) {
            const fs::path recording = dir / (L"R" + std::to_wstring(kind) + L".1");
            WriteBytes(recording, EncodeRecording(static_cast<RecordingKind>(kind), samples));
            const std::wstring line = ListLine(recording);
            form.LBListFiles.SetLines(std::span(&line, 1));
            double best = 1e9, floor = 1e9, conversion = 1e9;
            for (int run = 0; run < kRuns; ++run) {
                form.LBListFiles.SetSelected(0, true);
                best = std::min(best, StartToPlay(form));
                floor = std::min(floor, Floor(recording, wav, dir / L"copy.bin"));
                conversion = std::min(conversion, ConversionOnly(form, line));
            }
            std::printf("kind %d: %7.3f s (conversion %7.3f s), floor %7.3f s, ratio %6.2f\n", kind,
                        best, conversion, floor, best / floor);
            fs::remove(recording);
        }
    }
    ::SetCurrentDirectoryW(previous);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
