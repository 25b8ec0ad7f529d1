// Stretching a one-hour recording (7860 samples per second, 8-bit, no header) at 1.5x,
// in memory, against converting it at 1x: the playback file the main window's own step
// makes (WriteReviewedPlaybackFile, as ConvertToPlaybackFile runs it). Beside them, the
// whole playback file at 1.5x by the same step (at the speed alone the recording is
// stretched as it is converted; with even loudness on it is converted, judged and
// processed whole) and a plain copy of the recording. Measured alternately in the same
// run, best of each. The bar: the stretch within 1.5 times the 1x conversion; the program
// exits with 1 when it is not.
// Usage: review_bench [repetitions]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "../bench_files.h"
#include "recording_encoder.h"
#include "review/time_stretch.h"
#include "voice/frm_voice.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr double kLimit = 1.5;
constexpr int kRate = 7860;
constexpr std::size_t kOneHour = 3600 * kRate;

// Speech-like 8-bit sound: voiced syllables of wandering pitch and level with pauses of
// hiss between them; ten seconds made once and repeated.
std::vector<std::uint8_t> OneHourOfSpeech() {
    std::mt19937 rng(1);
    std::vector<std::uint8_t> ten;
    double phase = 0;
    while (ten.size() < 10 * kRate) {
        const auto syllable = static_cast<std::size_t>((0.15 + rng() % 100 / 250.0) * kRate);
        const double f0 = 90 + rng() % 200;
        const double level = 10 + rng() % 50;
        for (std::size_t i = 0; i < syllable; ++i) {
            const double envelope = std::sin(std::numbers::pi * i / syllable);
            double s = 0;
            for (int k = 1; k < 8; ++k) {
                s += std::sin(k * phase) / k;
            }
            phase += 2 * std::numbers::pi * f0 / kRate;
            ten.push_back(static_cast<std::uint8_t>(128 + std::lround(level * envelope * s)));
        }
        const auto pause = static_cast<std::size_t>((0.05 + rng() % 100 / 120.0) * kRate);
        for (std::size_t i = 0; i < pause; ++i) {
            ten.push_back(static_cast<std::uint8_t>(127 + rng() % 3));
        }
    }
    std::vector<std::uint8_t> hour;
    hour.reserve(kOneHour);
    while (hour.size() < kOneHour) {
        hour.insert(hour.end(), ten.begin(),
                    ten.begin() +
                        static_cast<std::ptrdiff_t>(std::min(ten.size(), kOneHour - hour.size())));
    }
    return hour;
}

template <typename F> double Seconds(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The window's step with these choices, timed (the choice itself, remembered as the user's,
// is not); aborts when it fails, as no figure would mean much.
double PlaybackFile(voice::TFrmVoice& form, const voice::review::ReviewOptions& options) {
    form.ChangeReviewOptions(options);
    return Seconds([&] {
        if (!form.WriteReviewedPlaybackFile(0)) {
            std::fprintf(stderr, "the playback file was not written\n");
            std::exit(2);
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const fs::path dir = fs::temp_directory_path() /
                         (L"voice_review_bench_" + std::to_wstring(::GetCurrentProcessId()));
    fs::create_directories(dir);
    wchar_t previous[MAX_PATH]{};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(dir.c_str()); // StartDir: the playback file goes here
    const fs::path recording = dir / L"12345678.2";
    const std::vector<std::uint8_t> sound = OneHourOfSpeech();
    voice::bench::WriteBytes(recording,
                             voice::EncodeRecording(voice::RecordingKind::HeaderlessPcm, sound));

    double copy = 1e9, plain = 1e9, faster = 1e9, levelled = 1e9, stretchOnly = 1e9;
    {
        voice::TFrmVoice form;
        const std::wstring line = voice::bench::ListLine(recording);
        form.LBListFiles.SetLines(std::span(&line, 1));
        const voice::review::ReviewOptions atOne, atOneAndAHalf{1.5, false, false},
            withLevel{1.5, false, true};
        // One pass of each first, so all start from the same cache state.
        PlaybackFile(form, atOne);
        PlaybackFile(form, atOneAndAHalf);
        for (int i = 0; i < repetitions; ++i) {
            copy = std::min(copy, Seconds([&] {
                                ::CopyFileW(recording.c_str(), (dir / L"copy.bin").c_str(), FALSE);
                            }));
            plain = std::min(plain, PlaybackFile(form, atOne));
            faster = std::min(faster, PlaybackFile(form, atOneAndAHalf));
            if (i < 2) // slow, and only for comparison
                levelled = std::min(levelled, PlaybackFile(form, withLevel));
            stretchOnly = std::min(stretchOnly, Seconds([&] {
                                       struct Count final : voice::review::StretchByteSink {
                                           void Take(std::span<const std::uint8_t> s) override {
                                               total += s.size();
                                           }
                                           std::size_t total = 0;
                                       } count;
                                       voice::review::StretchStream stream(kRate, 1.5);
                                       stream.PushU8(sound, count);
                                       stream.Finish(count);
                                       if (count.total == 0)
                                           std::abort();
                                   }));
        }
    }
    const double ratio = stretchOnly / plain;
    std::printf("one hour, %zu samples at %d Hz, best of %d\n", sound.size(), kRate, repetitions);
    std::printf("plain copy of the recording              %7.1f ms\n", copy * 1000);
    std::printf("playback file at 1x                      %7.1f ms  %5.2f x copy\n", plain * 1000,
                plain / copy);
    std::printf("playback file at 1.5x                    %7.1f ms  %5.2f x the 1x file\n",
                faster * 1000, faster / plain);
    std::printf("playback file at 1.5x, even loudness     %7.1f ms  %5.2f x the 1x file\n",
                levelled * 1000, levelled / plain);
    std::printf("stretch alone at 1.5x (in memory)        %7.1f ms  %5.2f x the 1x file\n",
                stretchOnly * 1000, stretchOnly / plain);
    ::SetCurrentDirectoryW(previous);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    std::printf(ratio <= kLimit ? "the stretch within %.1f x the 1x conversion\n"
                                : "the stretch above %.1f x the 1x conversion\n",
                kLimit);
    return ratio <= kLimit ? 0 : 1;
}
