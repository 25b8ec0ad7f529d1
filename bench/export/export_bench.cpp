// Exports 1,000 recordings of about one minute each (kinds 1 to 6 in turn) with the
// index and both hashes, against a floor measured in the same run: CopyFileW of the
// same files plus SHA-256 of the copies (bar 1.5). Merges the same recordings into one
// file, against copying them (bar 1.3). The export hashes on threads of its own, so it
// also reports how many cores it had on average. Then reports the peak working set of an
// export of 10 and of 1,000 recordings, each in a process of its own.
// Usage: export_bench [repetitions]      (export_bench --memory N DIR is its child)

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "catalogue/list_line.h"
#include "conversion/run_decoders.h"
#include "export/export_job.h"
#include "platform/digest/sha256.h"
#include "recording_encoder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using voice::exporting::ExportProgress;

constexpr double kExportLimit = 1.5;
constexpr double kMergeLimit = 1.3;
constexpr std::size_t kRecordings = 1000;
constexpr std::size_t kOneMinute = 60 * 7860;

class Silent final : public ExportProgress {
public:
    void OnItem(std::size_t, std::size_t, const std::wstring&) override {}
    bool CancelRequested() const override { return false; }
};

// Speech-like sound with stretches of silence; even samples, as the run forms keep the
// lowest bit for their items.
voice::Bytes Sound(std::size_t length, unsigned seed) {
    std::mt19937 rng(seed);
    voice::Bytes sound;
    int level = 128;
    while (sound.size() < length) {
        if (rng() % 3000 == 0) {
            sound.insert(sound.end(),
                         std::min<std::size_t>(200 + rng() % 3000, length - sound.size()), 0x80);
            continue;
        }
        level = std::clamp(level + static_cast<int>(rng() % 21) - 10, 30, 225);
        sound.push_back(static_cast<std::uint8_t>((level + static_cast<int>(rng() % 9) - 4) & ~1));
    }
    return sound;
}

void WriteFile(const fs::path& path, const voice::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The archive: channel 1, one day directory per 100 recordings; returns the list lines.
std::vector<std::wstring> MakeArchive(const fs::path& base) {
    std::vector<voice::Bytes> variants;
    for (unsigned v = 0; v < 12; ++v)
        variants.push_back(voice::EncodeRecording(static_cast<voice::RecordingKind>(v % 6 + 1),
                                                  Sound(kOneMinute - 500 + 100 * v, v)));
    std::vector<std::wstring> lines;
    for (std::size_t i = 0; i < kRecordings; ++i) {
        const int day = static_cast<int>(1 + i / 100);
        const int minute = static_cast<int>(i % 100);
        const voice::DateTimeParts start{2026, 12, day, 8 + minute / 60, minute % 60, 0};
        const fs::path dir = base / ("QC" + std::to_string(day));
        fs::create_directories(dir);
        const fs::path file = dir / ("rec" + std::to_string(i) + ".1");
        const voice::Bytes& content = variants[i % variants.size()];
        WriteFile(file, content);
        voice::DateTimeParts end = start;
        end.second = 59;
        lines.push_back(voice::BuildListLine(1, start, end, content.size(), file.wstring()));
    }
    return lines;
}

std::vector<std::wstring> ReadLines(const fs::path& base) {
    std::vector<std::wstring> lines;
    std::wifstream in(base / "lines.txt");
    for (std::wstring line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void SaveLines(const fs::path& base, const std::vector<std::wstring>& lines) {
    std::wofstream out(base / "lines.txt");
    for (const std::wstring& line : lines)
        out << line << L'\n';
}

void HashFile(const fs::path& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    voice::Sha256 hash;
    std::vector<std::uint8_t> block(voice::kConversionBlockSize);
    DWORD n = 0;
    while (::ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &n, nullptr) && n > 0)
        hash.Update(std::span(block.data(), n));
    hash.Finish();
    ::CloseHandle(file);
}

// Processor time of the whole process (all its threads) so far.
double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

template <typename F> double Seconds(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Empty(const fs::path& dir) {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::create_directories(dir);
}

constexpr voice::exporting::LocalMoment kMoment{2026, 12, 7, 12, 0, 0};

// The child: one export of the first count recordings, then its peak working set.
int MeasureMemory(std::size_t count, const fs::path& dir) {
    std::vector<std::wstring> lines = ReadLines(dir);
    lines.resize(std::min(count, lines.size()));
    Silent progress;
    const fs::path out = dir / ("memory" + std::to_string(count));
    Empty(out);
    voice::exporting::ExportRecordings(lines, out, {dir / "archive"}, kMoment, progress);
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    std::printf("peak working set, export of %4zu recordings: %6.1f MB\n", lines.size(),
                counters.PeakWorkingSetSize / 1048576.0);
    std::error_code ignored;
    fs::remove_all(out, ignored);
    return 0;
}

void RunChild(std::size_t count, const fs::path& dir) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --memory " + std::to_wstring(count) +
                           L" \"" + dir.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process))
        return;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--memory")
        return MeasureMemory(std::strtoul(argv[2], nullptr, 10), fs::path(argv[3]));
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const fs::path dir = fs::temp_directory_path() /
                         (L"voice_export_bench_" + std::to_wstring(::GetCurrentProcessId()));
    const fs::path archive = dir / "archive", out = dir / "out", copies = dir / "copies";
    const std::vector<std::wstring> lines = MakeArchive(archive);
    SaveLines(dir, lines);
    std::vector<fs::path> sources;
    std::uintmax_t bytes = 0;
    for (const std::wstring& line : lines) {
        sources.emplace_back(line.substr(80));
        bytes += fs::file_size(sources.back());
    }
    Silent progress;

    auto copyAll = [&](bool hash) {
        Empty(copies);
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const fs::path copy = copies / (std::to_wstring(i) + L".wav");
            ::CopyFileW(sources[i].c_str(), copy.c_str(), FALSE);
            if (hash)
                HashFile(copy);
        }
    };
    auto exportAll = [&] {
        Empty(out);
        voice::exporting::ExportRecordings(lines, out, {archive}, kMoment, progress);
    };
    auto mergeAll = [&] {
        Empty(out);
        voice::exporting::MergeRecordings(lines, out / "all.wav", {archive}, progress);
    };

    // One pass of each first, so all start from the same cache state; then alternating
    // runs, the best of each, so they meet the same load of the machine.
    copyAll(true);
    exportAll();
    mergeAll();
    double floorExport = 1e9, timeExport = 1e9, floorMerge = 1e9, timeMerge = 1e9, hashing = 1e9;
    double exportProcessor = 0; // of the fastest export
    for (int i = 0; i < repetitions; ++i) {
        hashing = std::min(hashing, Seconds([&] {
                               for (const fs::path& source : sources)
                                   HashFile(source);
                           }));
        floorExport = std::min(floorExport, Seconds([&] { copyAll(true); }));
        const double processorBefore = ProcessorSeconds();
        const double elapsed = Seconds(exportAll);
        if (elapsed < timeExport) {
            timeExport = elapsed;
            exportProcessor = ProcessorSeconds() - processorBefore;
        }
        floorMerge = std::min(floorMerge, Seconds([&] { copyAll(false); }));
        timeMerge = std::min(timeMerge, Seconds(mergeAll));
    }
    const double exportRatio = timeExport / floorExport;
    const double mergeRatio = timeMerge / floorMerge;
    std::printf("%zu recordings, %.1f MB stored\n", lines.size(), bytes / 1048576.0);
    std::printf("command  floor ms  command ms  ratio  bar\n");
    std::printf("export   %8.0f  %10.0f  %5.2f  %.1f  (floor: CopyFileW + SHA-256 of the copies)\n",
                floorExport * 1000, timeExport * 1000, exportRatio, kExportLimit);
    std::printf("merge    %8.0f  %10.0f  %5.2f  %.1f  (floor: CopyFileW)\n", floorMerge * 1000,
                timeMerge * 1000, mergeRatio, kMergeLimit);
    // The export hashes every source and every exported file, the floor only the copies:
    // where SHA-256 is slow (Wine's BCrypt) that alone brings the ratio near 2.
    std::printf("SHA-256 of the sources alone: %.0f ms (%.0f MB/s)\n", hashing * 1000,
                bytes / 1048576.0 / hashing);
    // The export hashes on two threads beside its own: processor time over elapsed time
    // near 1 means the machine had no second core free for it (the floor needs only one).
    std::printf("export's processor time: %.0f ms, %.2f cores on average\n", exportProcessor * 1000,
                exportProcessor / timeExport);
    std::fflush(stdout);
    RunChild(10, dir);
    RunChild(kRecordings, dir);

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    const bool within = exportRatio <= kExportLimit && mergeRatio <= kMergeLimit;
    std::printf(within ? "all ratios within their bars\n" : "a ratio exceeds its bar\n");
    return within ? 0 : 1;
}
