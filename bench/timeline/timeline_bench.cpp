// timeline_bench [RUNS]: the timeline's cost against floors measured in the same run.
//   paint: 100,000 recordings (8 channels over 25 days) painted into a real window, once at
//          the whole range and once at a one-minute span, each against painting the same
//          lanes and axis with no recordings. Bounds: ratio 3 and 16 ms a paint.
//   tick:  a playhead tick at the whole range repaints only the strip it crosses, against
//          the whole paint. Bound: ratio 0.25.
//   build: the lanes built from the 100,000 list lines against sorting those lines by start
//          with the list's own sort. Bound: ratio 1.5.
// Medians of the per-run ratios; absolute times on shared machines vary.

#include "catalogue/list_line.h"
#include "catalogue/sort_str.h"
#include "timeline/timeline_painter.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace voice;
using namespace voice::timeline;
using Clock = std::chrono::steady_clock;

constexpr int kDays = 25;
constexpr int kChannels = 8;
constexpr int kPerChannelDay = 500; // 100,000 in all
constexpr double kPaintRatioBound = 3.0;
constexpr double kPaintMsBound = 16.0;
constexpr double kBuildRatioBound = 1.5;
constexpr double kTickRatioBound = 0.25;
constexpr SIZE kClient{1200, 420};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

DateTimeParts PartsOf(Seconds t) {
    // 1 to 25 December 2026; days never leave the month.
    const Seconds day = DayOf(t) - DaysFromCivil(2026, 12, 1);
    const Seconds second = t - MidnightOf(t);
    return {2026,
            12,
            static_cast<int>(day) + 1,
            static_cast<int>(second / 3600),
            static_cast<int>(second / 60 % 60),
            static_cast<int>(second % 60)};
}

// Recordings of 10 s to 3 min at random through each day, in the search's order: channel
// by channel, each sorted by start.
std::vector<std::wstring> Lines() {
    std::mt19937 random(7);
    std::vector<std::wstring> lines;
    lines.reserve(kDays * kChannels * kPerChannelDay);
    const Seconds first = SecondsOf({2026, 12, 1, 0, 0, 0});
    for (int channel = 1; channel <= kChannels; ++channel) {
        std::vector<Seconds> starts;
        for (int day = 0; day < kDays; ++day)
            for (int i = 0; i < kPerChannelDay; ++i)
                starts.push_back(first + day * kSecondsPerDay + random() % (kSecondsPerDay - 200));
        std::sort(starts.begin(), starts.end());
        for (Seconds start : starts) {
            const Seconds end = start + 10 + random() % 170;
            lines.push_back(BuildListLine(channel, PartsOf(start), PartsOf(end),
                                          7860 * static_cast<std::uint64_t>(end - start),
                                          L"D:\\archive\\kanal" + std::to_wstring(channel) + L"\\" +
                                              std::to_wstring(start) + L"." +
                                              std::to_wstring(channel)));
        }
    }
    return lines;
}

HWND BenchWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VoiceTimelineBench";
    ::RegisterClassW(&wc);
    RECT r{0, 0, kClient.cx, kClient.cy};
    ::AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = ::CreateWindowExW(0, L"VoiceTimelineBench", L"timeline bench", WS_OVERLAPPEDWINDOW,
                                  0, 0, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

struct Scene {
    const Timeline* timeline;
    const DensityIndex* index;
    TimeScale scale;
    TimelineLayout layout;
};

// The time a paint takes into the window, GDI's queue flushed.
double PaintMs(HWND hwnd, TimelinePainter& painter, const Scene& scene,
               const std::vector<bool>& selected, const std::vector<bool>& heard,
               const RECT* clip = nullptr, std::int32_t playing = -1) {
    TimelinePicture picture;
    picture.timeline = scene.timeline;
    picture.scale = &scene.scale;
    picture.layout = scene.layout;
    picture.selected = &selected;
    picture.heard = &heard;
    picture.index = scene.index;
    picture.playing = playing;
    if (playing >= 0)
        picture.playhead = static_cast<double>(scene.timeline->recordings[playing].start);
    HDC dc = ::GetDC(hwnd);
    const auto start = Clock::now();
    painter.Paint(dc, kClient, picture, clip);
    ::GdiFlush();
    const double ms = Ms(Clock::now() - start);
    ::ReleaseDC(hwnd, dc);
    return ms;
}

bool RunPaintBench(int runs, const std::vector<std::wstring>& lines) {
    const Timeline full = BuildTimeline(lines);
    // The same lanes and axis without a recording in them.
    Timeline empty = full;
    empty.recordings.clear();
    empty.itemOfLine.clear();
    for (Lane& lane : empty.lanes)
        lane.begin = lane.end = 0, lane.longest = 0;
    std::vector<bool> selected(full.recordings.size()), heard(full.recordings.size());
    for (std::size_t i = 0; i < selected.size(); i += 7)
        selected[i] = true;
    for (std::size_t i = 0; i < heard.size(); i += 3)
        heard[i] = true;

    // Built with the lines and updated on a change of selection, outside the paints.
    DensityIndex fullIndex(full), emptyIndex(empty);
    fullIndex.Update(selected, heard);
    HWND hwnd = BenchWindow();
    TimelinePainter painter;
    const TimelineLayout layout = TimelineLayout::For(kClient, full.lanes.size(), 96);
    const Fold fold(full.firstDay, {}, false);
    bool ok = true;
    for (const bool minute : {false, true}) {
        Scene scene{nullptr, nullptr,
                    TimeScale(fold, full.firstDay, full.lastDay, layout.labelWidth,
                              kClient.cx - layout.labelWidth - 8),
                    layout};
        if (minute) {
            scene.scale.SetSecondsPerPixel(60.0 / scene.scale.Width(), scene.scale.Left());
            scene.scale.ScrollToShown(fold.Shown(SecondsOf({2026, 12, 13, 14, 30, 0})));
        }
        std::vector<double> ratios, ours, floors;
        for (int run = 0; run < runs; ++run) {
            scene.timeline = &empty;
            scene.index = &emptyIndex;
            const double floor = PaintMs(hwnd, painter, scene, {}, {});
            scene.timeline = &full;
            scene.index = &fullIndex;
            const double paint = PaintMs(hwnd, painter, scene, selected, heard);
            floors.push_back(floor);
            ours.push_back(paint);
            ratios.push_back(paint / floor);
        }
        const double ratio = Median(ratios), ms = Median(ours);
        std::printf("paint %s: %.2f ms, empty lanes and axis %.2f ms, ratio %.2f (<= %.0f), "
                    "paint <= %.0f ms: %s\n",
                    minute ? "one-minute span" : "whole range", ms, Median(floors), ratio,
                    kPaintRatioBound, kPaintMsBound, ms <= kPaintMsBound ? "yes" : "no");
        ok = ok && ratio <= kPaintRatioBound && ms <= kPaintMsBound;
        if (minute)
            continue;
        // A tick: the window invalidates the playhead's old and new strips, a few pixels each.
        const std::int32_t playing = static_cast<std::int32_t>(full.recordings.size() / 2);
        const int x = static_cast<int>(std::lround(scene.scale.X(full.recordings[playing].start)));
        const RECT strip{x - 4, 0, x + 5, layout.LaneTop(full.lanes.size())};
        std::vector<double> tickRatios, ticks;
        for (int run = 0; run < runs; ++run) {
            const double whole = PaintMs(hwnd, painter, scene, selected, heard, nullptr, playing);
            const double tick = PaintMs(hwnd, painter, scene, selected, heard, &strip, playing);
            ticks.push_back(tick);
            tickRatios.push_back(tick / whole);
        }
        const double tickRatio = Median(tickRatios);
        std::printf("playhead tick at the whole range: %.3f ms for a %ld px strip, ratio to the "
                    "whole paint %.3f (<= %.2f)\n",
                    Median(ticks), strip.right - strip.left, tickRatio, kTickRatioBound);
        ok = ok && tickRatio <= kTickRatioBound;
    }
    ::DestroyWindow(hwnd);
    return ok;
}

bool RunBuildBench(int runs, const std::vector<std::wstring>& lines) {
    std::vector<double> ratios, ours, floors;
    for (int run = 0; run < runs; ++run) {
        TSortStr list([] { return 0; }); // by start
        for (const std::wstring& line : lines)
            list.Add(line);
        auto start = Clock::now();
        list.SetSorted(true);
        const bool sorted = list.Lines().size() == lines.size(); // the lines moved into place
        const double floor = Ms(Clock::now() - start);

        start = Clock::now();
        const Timeline timeline = BuildTimeline(lines);
        const double build = Ms(Clock::now() - start);
        if (!sorted || timeline.recordings.size() != lines.size())
            return false;
        floors.push_back(floor);
        ours.push_back(build);
        ratios.push_back(build / floor);
    }
    const double ratio = Median(ratios);
    std::printf(
        "build from %zu lines: %.1f ms, sorting them by start %.1f ms, ratio %.2f (<= %.1f)\n",
        lines.size(), Median(ours), Median(floors), ratio, kBuildRatioBound);
    return ratio <= kBuildRatioBound;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::vector<std::wstring> lines = Lines();
    const bool paint = RunPaintBench(runs, lines);
    const bool build = RunBuildBench(std::max(3, runs / 3), lines);
    return paint && build ? 0 : 1;
}
