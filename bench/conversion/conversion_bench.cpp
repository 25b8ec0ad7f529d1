// Converts a one-hour recording (7860 samples per second) of each kind 1 to 6 and
// compares the time with CopyFileW of the same recording in the same run. The ratio must
// stay at or below 2. Usage: conversion_bench [repetitions]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "conversion/playback_file_writer.h"
#include "recording_encoder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kLimit = 2.0;
constexpr std::size_t kOneHour = 3600 * 7860;

// Speech-like sound: a wandering level with noise, and stretches of silence. The run
// forms keep the lowest bit of a sample for their items, so the recorder's samples are
// even there.
voice::Bytes OneHourOfSound() {
    std::mt19937 rng(1);
    voice::Bytes sound;
    sound.reserve(kOneHour);
    int level = 128;
    while (sound.size() < kOneHour) {
        if (rng() % 20000 == 0) {
            sound.insert(sound.end(),
                         std::min<std::size_t>(200 + rng() % 3000, kOneHour - sound.size()), 0x80);
            continue;
        }
        level = std::clamp(level + static_cast<int>(rng() % 21) - 10, 30, 225);
        sound.push_back(static_cast<std::uint8_t>((level + static_cast<int>(rng() % 9) - 4) & ~1));
    }
    return sound;
}

void WriteFile(const std::wstring& path, const voice::Bytes& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

template <typename F> double Seconds(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (L"voice_conversion_bench_" + std::to_wstring(::GetCurrentProcessId()));
    std::filesystem::create_directories(dir);
    const std::wstring startDir = dir.wstring();
    const std::wstring copyPath = (dir / L"copy.bin").wstring();
    const voice::Bytes sound = OneHourOfSound();

    std::printf("kind  recording bytes  copy ms  conversion ms  ratio\n");
    bool withinLimit = true;
    for (int k = 1; k <= 6; ++k) {
        const auto kind = static_cast<voice::RecordingKind>(k);
        const std::wstring recording = (dir / (L"12345678." + std::to_wstring(k))).wstring();
        const voice::Bytes stored = voice::EncodeRecording(kind, sound);
        WriteFile(recording, stored);
        std::wstring line(80, L' ');
        line += recording;
        voice::FileHandleField recordingHandle, playbackHandle;
        // One pass of each first, so both start from the same cache state.
        ::CopyFileW(recording.c_str(), copyPath.c_str(), FALSE);
        voice::WritePlaybackFile(line, startDir, recordingHandle, playbackHandle);
        // Alternating runs, the best of each: both meet the same load of the machine.
        double copy = 1e9, conversion = 1e9;
        for (int i = 0; i < repetitions; ++i) {
            copy = std::min(
                copy, Seconds([&] { ::CopyFileW(recording.c_str(), copyPath.c_str(), FALSE); }));
            conversion = std::min(conversion, Seconds([&] {
                                      voice::WritePlaybackFile(line, startDir, recordingHandle,
                                                               playbackHandle);
                                  }));
        }
        const double ratio = conversion / copy;
        withinLimit = withinLimit && ratio <= kLimit;
        std::printf("%4d  %15zu  %7.1f  %13.1f  %5.2f\n", k, stored.size(), copy * 1000,
                    conversion * 1000, ratio);
        std::filesystem::remove(recording);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    std::printf(withinLimit ? "all ratios within %.1f\n" : "a ratio exceeds %.1f\n", kLimit);
    return withinLimit ? 0 : 1;
}
