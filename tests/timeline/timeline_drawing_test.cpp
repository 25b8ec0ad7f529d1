// What the timeline draws at a zoom: the tick step and labels, the day changes, and the
// density merge of recordings narrower than a pixel.

#include "timeline/lane_raster.h"
#include "timeline/ticks.h"
#include "timeline_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <set>

namespace voice::timeline::test {
namespace {

TEST(Ticks, TheStepFollowsTheZoom) {
    struct Case {
        double perPixel;
        Seconds step;
        TickUnit unit;
    };
    // Labels at least 80 pixels apart.
    const Case cases[] = {
        {0.01, 1, TickUnit::Second},   {0.1, 10, TickUnit::Second},
        {0.5, 60, TickUnit::Minute},   {10, 900, TickUnit::Minute},
        {40, 3600, TickUnit::Hour},    {300, 43200, TickUnit::Hour},
        {1000, 86400, TickUnit::Day},  {5000, 604800, TickUnit::Day},
        {1e9, 2592000, TickUnit::Day}, // coarser than any step: the largest
    };
    for (const Case& c : cases) {
        const TickStep s = ChooseTickStep(c.perPixel, 80);
        EXPECT_EQ(s.step, c.step) << c.perPixel;
        EXPECT_EQ(s.unit, c.unit) << c.perPixel;
    }
}

std::vector<std::wstring> Labels(const std::vector<Tick>& ticks, bool dayChanges) {
    std::vector<std::wstring> labels;
    for (const Tick& t : ticks)
        if (t.dayChange == dayChanges)
            labels.push_back(t.label);
    return labels;
}

TEST(Ticks, LabelsAndDayChangesAtEachZoom) {
    const Seconds day = kSecondsPerDay;
    struct Case {
        const char* what;
        DayWindow window;
        bool folded;
        Seconds viewFrom; // real time at the left edge
        double perPixel;
        std::vector<std::wstring> days;  // labels of the day changes in view
        std::vector<std::wstring> first; // the first three other labels
    };
    const Case cases[] = {
        // The axis ends at the midnight after its last day, which is marked too.
        {"three days: days and quarters",
         {},
         false,
         Dec7(0),
         3 * day / 1000.0,
         {L"07.12.26", L"08.12.26", L"09.12.26", L"10.12.26"},
         {L"06:00", L"12:00", L"18:00"}},
        // Midnight is the day change, not an hour.
        {"hours across midnight",
         {},
         false,
         Dec7(20),
         60,
         {L"08.12.26"},
         {L"20:00", L"22:00", L"02:00"}},
        {"minutes", {}, false, Dec7(14, 30), 1, {}, {L"14:30", L"14:32", L"14:34"}},
        {"seconds", {}, false, Dec7(14, 30, 1), 0.1, {}, {L"14:30:10", L"14:30:20", L"14:30:30"}},
        // Eight hours a day, folded: each day change is the window's start.
        {"folded days",
         {8 * 3600, 16 * 3600},
         true,
         Dec7(8),
         60,
         {L"07.12.26", L"08.12.26", L"09.12.26"},
         {L"10:00", L"12:00", L"14:00"}},
    };
    for (const Case& c : cases) {
        const Fold fold(Dec7(0), c.window, c.folded);
        TimeScale scale(fold, Dec7(0), Dec7(0) + 2 * day, 0, 1000);
        scale.SetSecondsPerPixel(c.perPixel, 0);
        scale.ScrollToShown(fold.Shown(c.viewFrom));
        const std::vector<Tick> ticks = MakeTicks(scale, 80);
        EXPECT_EQ(Labels(ticks, true), c.days) << c.what;
        std::vector<std::wstring> others = Labels(ticks, false);
        if (others.size() > 3)
            others.resize(3);
        EXPECT_EQ(others, c.first) << c.what;
        for (std::size_t i = 1; i < ticks.size(); ++i)
            EXPECT_GT(ticks[i].x, ticks[i - 1].x) << c.what;
        for (const Tick& t : ticks)
            EXPECT_NEAR(t.x, scale.X(t.time), 1e-9) << c.what;
    }
}

TEST(Ticks, FormatsTimesDatesAndDurations) {
    EXPECT_EQ(FormatDateTime(SecondsOf({2024, 2, 29, 23, 5, 9})), L"29.02.2024 23:05:09");
    EXPECT_EQ(FormatDateTime(SecondsOf({1969, 12, 31, 0, 0, 1})), L"31.12.1969 00:00:01");
    EXPECT_EQ(FormatDuration(3 * 3600 + 62), L"3:01:02");
    EXPECT_EQ(FormatDuration(-5), L"0:00:00");
}

// Recordings of ten seconds every minute through a day, channel 1.
std::vector<std::wstring> EveryMinute() {
    std::vector<std::wstring> lines;
    for (int m = 0; m < 24 * 60; ++m)
        lines.push_back(LineOf(1, Dec7(0) + m * 60, Dec7(0) + m * 60 + 10));
    return lines;
}

TEST(LaneRaster, NarrowRecordingsMergeIntoColumnsAndWideOnesStayBars) {
    const std::vector<std::wstring> lines = EveryMinute();
    const Timeline t = BuildTimeline(lines);
    std::vector<bool> selected(t.recordings.size()), heard(t.recordings.size());
    for (std::size_t i = 0; i < selected.size(); i += 2)
        selected[i] = true; // every other one
    for (std::size_t i = 0; i < 720; ++i)
        heard[i] = true; // the morning

    struct Case {
        const char* what;
        double perPixel;
        double viewFrom; // shown seconds
        std::size_t bars;
        std::uint32_t merged; // recordings in density columns
    };
    const Case cases[] = {
        {"whole day: all merged", 86400.0 / 480, 0, 0, 1440},
        {"forty minutes: all bars", 5, 0, 40, 0},
        {"an hour: bars", 3600.0 / 480, 3600, 60, 0},
    };
    for (const Case& c : cases) {
        const Fold fold(Dec7(0), {}, false);
        TimeScale scale(fold, Dec7(0), Dec7(0), 20, 480);
        scale.SetSecondsPerPixel(c.perPixel, 20);
        scale.ScrollToShown(c.viewFrom);
        LaneRaster raster;
        RasterizeLane(t, 0, scale, selected, heard, raster);
        const std::uint32_t merged = std::accumulate(raster.count.begin(), raster.count.end(), 0u);
        EXPECT_EQ(merged, c.merged) << c.what;
        EXPECT_EQ(raster.bars.size(), c.bars) << c.what;
        for (const Bar& b : raster.bars) {
            const Recording& r = t.recordings[b.item];
            EXPECT_GE(b.x0, 20) << c.what;
            EXPECT_LE(b.x1, 500) << c.what;
            EXPECT_LT(b.x0, b.x1) << c.what;
            EXPECT_NEAR(b.x0, std::max(20.0, scale.X(r.start)), 0.51) << c.what;
        }
    }
    // Whole day: each column holds its minutes, and knows the selected and the unheard.
    const Fold fold(Dec7(0), {}, false);
    TimeScale scale(fold, Dec7(0), Dec7(0), 20, 480);
    LaneRaster raster;
    RasterizeLane(t, 0, scale, selected, heard, raster);
    EXPECT_EQ(raster.busiest, 3u);
    EXPECT_EQ(raster.count[0], 3u);
    EXPECT_EQ(raster.selected[0], 2u); // minutes 0 and 2
    EXPECT_EQ(raster.unheard[0], 0u);
    EXPECT_EQ(raster.unheard[479], 3u);
}

TEST(LaneRaster, ALongRecordingStartedBeforeTheViewStillShows) {
    const std::vector<std::wstring> lines = {LineOf(4, Dec7(1), Dec7(13)),
                                             LineOf(4, Dec7(12, 30), Dec7(12, 31))};
    const Timeline t = BuildTimeline(lines);
    const Fold fold(Dec7(0), {}, false);
    TimeScale scale(fold, Dec7(0), Dec7(0), 0, 600);
    scale.SetSecondsPerPixel(1, 0);
    scale.ScrollToShown(12 * 3600); // 12:00 to 12:10
    LaneRaster raster;
    RasterizeLane(t, 0, scale, {}, {}, raster);
    ASSERT_EQ(raster.bars.size(), 1u);
    EXPECT_EQ(raster.bars[0].x0, 0);
    EXPECT_EQ(raster.bars[0].x1, 600);
    EXPECT_EQ(t.recordings[raster.bars[0].item].line, 0);
}

// At coarse zooms the counts come from the index: against a plain count of every recording
// by the column of its start, each may move by a bucket's worth, never farther than the next
// column; recordings at least a pixel wide still come as bars, every one of them.
TEST(LaneRaster, TheIndexGivesWhatVisitingEveryRecordingGives) {
    std::vector<std::wstring> lines;
    const Seconds day = kSecondsPerDay;
    for (int m = 0; m < 3 * 24 * 60; m += 3) // every three minutes over three days
        lines.push_back(LineOf(2, Dec7(0) + m * 60 + m % 50, Dec7(0) + m * 60 + m % 50 + 30));
    for (int h = 0; h < 72; h += 5) // some long ones, up to five hours
        lines.push_back(LineOf(2, Dec7(0) + h * 3600 + 600, Dec7(0) + h * 3600 + 600 + h * 250));
    const Timeline t = BuildTimeline(lines);
    std::vector<bool> selected(t.recordings.size()), heard(t.recordings.size());
    for (std::size_t i = 0; i < selected.size(); ++i)
        selected[i] = i % 5 == 0, heard[i] = i % 3 == 0;
    DensityIndex index(t);
    index.Update(selected, heard);

    struct Case {
        const char* what;
        bool folded;
        double perPixel;
        Seconds viewFrom;
    };
    const Case cases[] = {
        {"whole", false, 3 * day / 300.0, Dec7(0)},
        {"half a day", false, 300, Dec7(6)},
        {"folded, eight hours a day", true, 3 * 8 * 3600 / 300.0, Dec7(8)},
    };
    for (const Case& c : cases) {
        const Fold fold(Dec7(0), {8 * 3600, 16 * 3600}, c.folded);
        TimeScale scale(fold, t.firstDay, t.lastDay, 30, 300);
        scale.SetSecondsPerPixel(c.perPixel, 30);
        scale.ScrollToShown(fold.Shown(c.viewFrom));
        ASSERT_GE(scale.SecondsPerPixel(), index.Coarsest()) << c.what;
        LaneRaster fast;
        RasterizeLane(t, 0, scale, selected, heard, fast, &index);

        std::vector<std::uint32_t> count(300), chosen(300), unheard(300);
        std::set<std::int32_t> wide;
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(t.recordings.size()); ++i) {
            const Recording& r = t.recordings[i];
            const double x0 = scale.X(r.start) - 30, x1 = scale.X(r.end) - 30;
            if (x1 - x0 >= 1 && x1 > 0.5 && x0 < 299.5)
                wide.insert(i);
            const auto column = static_cast<int>(std::floor(x0));
            if (column < 0 || column >= 300)
                continue;
            ++count[column];
            chosen[column] += selected[i];
            unheard[column] += !heard[i];
        }
        const auto withinAColumn = [&](const std::vector<std::uint32_t>& got,
                                       const std::vector<std::uint32_t>& want, const char* which) {
            std::uint32_t sumGot = 0, sumWant = 0;
            for (std::size_t col = 0; col + 1 < 300; ++col) {
                sumGot += got[col];
                sumWant += want[col];
                // Everything up to col is there by col + 1, and nothing from beyond it.
                EXPECT_GE(sumGot + got[col + 1], sumWant) << c.what << ' ' << which << ' ' << col;
                EXPECT_LE(sumGot, sumWant + want[col + 1]) << c.what << ' ' << which << ' ' << col;
            }
        };
        withinAColumn(fast.count, count, "count");
        withinAColumn(fast.selected, chosen, "selected");
        withinAColumn(fast.unheard, unheard, "unheard");
        std::set<std::int32_t> bars;
        for (const Bar& b : fast.bars)
            bars.insert(b.item);
        EXPECT_EQ(bars, wide) << c.what;
        EXPECT_FALSE(wide.empty()) << c.what;
    }
}

// A list over decades (a search from 1999 on) still counts every recording in its column.
TEST(LaneRaster, TheIndexCountsOverYears) {
    const std::vector<std::wstring> lines = {
        LineOf(1, SecondsOf({1999, 1, 1, 10, 0, 0}), SecondsOf({1999, 1, 1, 10, 0, 30})),
        LineOf(1, Dec7(10), Dec7(10, 0, 30)), LineOf(1, Dec7(11), Dec7(11, 0, 30))};
    const Timeline t = BuildTimeline(lines);
    const DensityIndex index(t);
    const Fold fold(t.firstDay, {}, false);
    const TimeScale scale(fold, t.firstDay, t.lastDay, 0, 500);
    LaneRaster raster;
    RasterizeLane(t, 0, scale, {}, {}, raster, &index);
    EXPECT_EQ(std::accumulate(raster.count.begin(), raster.count.end(), 0u), 3u);
    EXPECT_EQ(raster.count[0], 1u);   // 1999 at the left
    EXPECT_EQ(raster.count[499], 2u); // the two of December 2026 at the right
}

} // namespace
} // namespace voice::timeline::test
