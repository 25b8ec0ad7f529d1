// Catalogue benchmarks, each as a ratio to its floor measured in the same process:
//   search: the whole search over a generated archive of 100,000 recordings
//           (8 channels x 25 day directories x 500 files) against a bare
//           FindFirstFileW walk of the same directories; must be at most 1.3.
//   sort:   TSortStr's sort of 100,000 lines against std::sort of the same lines on
//           precomputed keys; must be at most 2.
// Prints one "ratio ..." line per measurement and exits 1 when a bound is exceeded.
// Options: --search-only, --sort-only, --runs=N, --ordering=N (one search ordering).
// Each run times the floor and the measured work back to back; a ratio is the median
// of the per-run ratios (search: thread CPU time, sort: wall clock), which stands up to
// the load of a shared machine. The archive is generated once in the temporary
// directory and reused.
#include "catalogue/channel_dir_file.h"
#include "catalogue/list_line.h"
#include "catalogue/orderings.h"
#include "catalogue/recording_name.h"
#include "catalogue/win32_directory_enumerator.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace voice {
namespace {

constexpr int kChannels = 8;
constexpr int kDays = 25;
constexpr int kFilesPerDay = 500;
constexpr double kSearchBound = 1.3;
constexpr double kSortBound = 2.0;
const char* const kOrderingNames[] = {"start", "end", "channel", "size", "none"};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

template <typename Work> double BestOf(int runs, Work work) {
    double best = 1e30;
    for (int k = 0; k < runs; ++k) {
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start));
    }
    return best;
}

// CPU time of this thread (user and kernel): steadier than the wall clock on a shared
// machine, and everything measured here runs on this thread.
double ThreadCpuSeconds() {
    FILETIME creation, exit, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &creation, &exit, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Cost {
    double wall = 1e30;
    double cpu = 1e30;
};

template <typename Work> void Measure(Cost& cost, Work work) {
    const double cpu = ThreadCpuSeconds();
    const auto start = Clock::now();
    work();
    cost.wall = std::min(cost.wall, Seconds(Clock::now() - start));
    cost.cpu = std::min(cost.cpu, ThreadCpuSeconds() - cpu);
}

std::wstring ArchiveRoot() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"voice-catalogue-bench-archive";
}

std::wstring ChannelDir(const std::wstring& root, int channel) {
    return root + L"\\CH" + std::to_wstring(channel);
}

wchar_t NameChar(int value) {
    return kNameAlphabet[static_cast<std::size_t>(value)];
}

std::wstring TwoDigits(int value) {
    return {static_cast<wchar_t>(L'0' + value / 10), static_cast<wchar_t>(L'0' + value % 10)};
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Generate(const std::wstring& root) {
    std::mt19937 random(1);
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (int channel = 1; channel <= kChannels; ++channel) {
        const std::wstring base = ChannelDir(root, channel);
        ::CreateDirectoryW(base.c_str(), nullptr);
        for (int day = 1; day <= kDays; ++day) {
            // Year 2010 ('A'), March ('3').
            const std::wstring dayName = std::wstring(L"A3") + NameChar(day);
            const std::wstring dayDir = base + L"\\" + dayName;
            ::CreateDirectoryW(dayDir.c_str(), nullptr);
            for (int k = 0; k < kFilesPerDay; ++k) {
                const int hour = k / 60 % 24;
                const std::wstring name = dayName + NameChar(hour) + TwoDigits(k % 60) +
                                          TwoDigits(random() % 60) + L"." +
                                          std::to_wstring(channel);
                const std::wstring path = dayDir + L"\\" + name;
                FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
                if (!file) {
                    std::fprintf(stderr, "cannot create %ls\n", path.c_str());
                    std::exit(2);
                }
                LARGE_INTEGER size;
                size.QuadPart = 1000 + random() % 2'000'000;
                ::SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN);
                ::SetEndOfFile(file.Get());
                SYSTEMTIME st{2010,
                              3,
                              0,
                              static_cast<WORD>(day),
                              static_cast<WORD>(hour),
                              static_cast<WORD>(random() % 60),
                              static_cast<WORD>(random() % 60),
                              0};
                FILETIME ft;
                ::SystemTimeToFileTime(&st, &ft);
                ::SetFileTime(file.Get(), nullptr, nullptr, &ft);
            }
        }
    }
    FileHandle marker(::CreateFileW((root + L"\\complete").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The floor: every directory and file of the channels listed with FindFirstFileW.
std::uint64_t BareWalk(const std::wstring& root) {
    std::uint64_t total = 0;
    WIN32_FIND_DATAW data;
    for (int channel = 1; channel <= kChannels; ++channel) {
        const std::wstring base = ChannelDir(root, channel);
        FindHandle days(::FindFirstFileW((base + L"\\*").c_str(), &data));
        if (!days)
            continue;
        std::vector<std::wstring> dayDirs;
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != L'.')
                dayDirs.push_back(base + L"\\" + data.cFileName);
        } while (::FindNextFileW(days.Get(), &data));
        for (const std::wstring& dir : dayDirs) {
            FindHandle files(::FindFirstFileW((dir + L"\\*").c_str(), &data));
            if (!files)
                continue;
            do {
                total += data.nFileSizeLow + 1;
            } while (::FindNextFileW(files.Get(), &data));
        }
    }
    return total;
}

bool RunSearchBench(int runs, int onlyOrdering) {
    const std::wstring root = ArchiveRoot();
    if (!Exists(root + L"\\complete")) {
        std::printf("generating %d recordings in %ls ...\n", kChannels * kDays * kFilesPerDay,
                    root.c_str());
        std::fflush(stdout);
        const auto start = Clock::now();
        Generate(root);
        std::printf("generated in %.1f s\n", Seconds(Clock::now() - start));
    }
    ChannelDirTable table;
    SearchCriteria criteria;
    for (int channel = 1; channel <= kChannels; ++channel) {
        SetChannelDir(table, channel - 1, ChannelDir(root, channel));
        criteria.channelTicked[static_cast<std::size_t>(channel - 1)] = true;
    }
    criteria.from = {2000, 1, 1};
    criteria.to = {2037, 12, 31};
    wchar_t startDir[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, startDir);

    volatile std::uint64_t sink = BareWalk(root); // warm the caches
    bool ok = true;
    // Ordering 4 leaves the lines unsorted: the search's own cost, for reference.
    for (int ordering = 0; ordering < 5; ++ordering) {
        if (onlyOrdering >= 0 && ordering != onlyOrdering)
            continue;
        TSortStr lineList([ordering] { return ordering; });
        std::size_t lines = 0;
        // Walk and search alternate, so both see the same machine load.
        Cost walk;
        Cost search;
        std::vector<double> ratios;
        for (int run = 0; run < runs; ++run) {
            Cost walkRun;
            Cost searchRun;
            Measure(walkRun, [&] { sink = sink + BareWalk(root); });
            Measure(searchRun, [&] {
                lineList.SetSorted(false);
                RunRecordingSearch(criteria, table, lineList, startDir, [] {});
                lines = lineList.Lines().size();
            });
            ratios.push_back(searchRun.cpu / walkRun.cpu);
            walk.wall = std::min(walk.wall, walkRun.wall);
            walk.cpu = std::min(walk.cpu, walkRun.cpu);
            search.wall = std::min(search.wall, searchRun.wall);
            search.cpu = std::min(search.cpu, searchRun.cpu);
        }
        const double ratio = Median(ratios);
        std::printf("search ordering %d (%s): %zu lines; search %.0f ms (cpu %.0f ms), bare walk "
                    "%.0f ms (cpu %.0f ms), wall ratio %.2f\n",
                    ordering, kOrderingNames[ordering], lines, search.wall * 1000,
                    search.cpu * 1000, walk.wall * 1000, walk.cpu * 1000, search.wall / walk.wall);
        std::printf("ratio search/walk ordering %d: %.2f\n", ordering, ratio);
        ok = ok && (ordering == 4 || ratio <= kSearchBound) &&
             lines == static_cast<std::size_t>(kChannels * kDays * kFilesPerDay);
    }
    return ok;
}

std::vector<std::wstring> SyntheticLines(std::size_t count) {
    std::mt19937 random(2);
    std::vector<std::wstring> lines;
    lines.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const int channel = 1 + static_cast<int>(random() % 8);
        const DateTimeParts start{
            2009 + static_cast<int>(random() % 3), 1 + static_cast<int>(random() % 12),
            1 + static_cast<int>(random() % 28),   static_cast<int>(random() % 24),
            static_cast<int>(random() % 60),       static_cast<int>(random() % 60)};
        DateTimeParts end = start;
        end.minute = static_cast<int>(random() % 60);
        lines.push_back(BuildListLine(channel, start, end, random() % 5'000'000,
                                      L"D:\\REC" + std::to_wstring(channel) + L"\\A3F\\A3F93015." +
                                          std::to_wstring(channel)));
    }
    return lines;
}

// The floor: the same lines with the keys the orderings read, precomputed, sorted by
// std::sort (the lines move with their keys).
struct FloorEntry {
    std::array<wchar_t, 29> text{};
    std::size_t length = 0;
    std::int64_t size = 0;
    std::wstring line;
    std::wstring_view Key() const { return {text.data(), length}; }
};

FloorEntry FloorEntryOf(const std::wstring& line, int ordering) {
    FloorEntry entry;
    std::wstring text;
    if (ordering == 1)
        text = std::wstring(MakeSortKey(line, kEndColumn).View());
    if (ordering == 2)
        text = line.substr(0, 1);
    text += MakeSortKey(line, kStartColumn).View();
    std::copy(text.begin(), text.end(), entry.text.begin());
    entry.length = text.size();
    entry.size = SizeColumnValue(line);
    entry.line = line;
    return entry;
}

bool RunSortBench(int runs) {
    const std::vector<std::wstring> lines = SyntheticLines(100'000);
    bool ok = true;
    for (int ordering = 0; ordering < 4; ++ordering) {
        std::vector<double> ratios;
        double floor = 1e30;
        double ours = 1e30;
        for (int run = 0; run < runs; ++run) {
            std::vector<FloorEntry> entries;
            entries.reserve(lines.size());
            for (const std::wstring& line : lines)
                entries.push_back(FloorEntryOf(line, ordering));
            auto start = Clock::now();
            if (ordering == 3)
                std::sort(entries.begin(), entries.end(),
                          [](const FloorEntry& a, const FloorEntry& b) { return a.size > b.size; });
            else
                std::sort(
                    entries.begin(), entries.end(),
                    [](const FloorEntry& a, const FloorEntry& b) { return a.Key() < b.Key(); });
            const double floorRun = Seconds(Clock::now() - start);

            TSortStr list([ordering] { return ordering; });
            for (const std::wstring& line : lines)
                list.Add(line);
            start = Clock::now();
            list.SetSorted(true);
            const std::size_t sorted = list.Lines().size(); // the lines moved into place
            const double oursRun = Seconds(Clock::now() - start);
            if (sorted != lines.size())
                return false;
            floor = std::min(floor, floorRun);
            ours = std::min(ours, oursRun);
            ratios.push_back(oursRun / floorRun);
        }
        const double ratio = Median(ratios);
        std::printf("sort ordering %d (%s): best %.1f ms, std::sort on keys best %.1f ms\n",
                    ordering, kOrderingNames[ordering], ours * 1000, floor * 1000);
        std::printf("ratio sort/std::sort ordering %d: %.2f\n", ordering, ratio);
        ok = ok && ratio <= kSortBound;
    }
    return ok;
}

} // namespace
} // namespace voice

int main(int argc, char** argv) {
    bool search = true;
    bool sort = true;
    int runs = 9;
    int ordering = -1; // every one
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--search-only")
            sort = false;
        else if (arg == "--sort-only")
            search = false;
        else if (arg.rfind("--runs=", 0) == 0)
            runs = std::max(1, std::atoi(arg.c_str() + 7));
        else if (arg.rfind("--ordering=", 0) == 0)
            ordering = std::atoi(arg.c_str() + 11);
    }
    bool ok = true;
    if (sort)
        ok = voice::RunSortBench(runs) && ok;
    if (search)
        ok = voice::RunSearchBench(runs, ordering) && ok;
    std::printf(ok ? "catalogue bench: within bounds\n" : "catalogue bench: OUT OF BOUNDS\n");
    return ok ? 0 : 1;
}
