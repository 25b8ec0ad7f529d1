// Reading list lines into lanes, and the time<->pixel mapping with and without folded hours.

#include "timeline/time_scale.h"
#include "timeline_lines.h"

#include <gtest/gtest.h>

namespace voice::timeline::test {
namespace {

TEST(TimelineLines, ReadsWhatTheListShows) {
    struct Case {
        const wchar_t* line;
        int channel;
        Seconds start, end;
        std::uint64_t size;
    };
    const Case cases[] = {
        {L"3  07.12.26 14:32:05  07.12.26 14:33:10  123456", 3, Dec7(14, 32, 5), Dec7(14, 33, 10),
         123456},
        // The locale's time separator may be a dot.
        {L"8  07.12.26 23:59:59  08.12.26 00:00:01  7", 8, Dec7(23, 59, 59),
         Dec7(0, 0, 1) + kSecondsPerDay, 7},
        // Two-digit years: 99 is 1999, 79 is 2079.
        {L"1  31.12.99 10.00.00  01.01.79 00.00.00  0", 1, SecondsOf({1999, 12, 31, 10, 0, 0}),
         SecondsOf({2079, 1, 1, 0, 0, 0}), 0},
        {L"   07.12.26 14:32:05  07.12.26 14:33:10  1", 0, 0, 0, 0}, // no channel
        {L"2  07.13.26 14:32:05  07.12.26 14:33:10  1", 0, 0, 0, 0}, // month 13
        {L"2  07.12.26 24:00:00  07.12.26 14:33:10  1", 0, 0, 0, 0}, // hour 24
        {L"2  07.12.26 14:32", 0, 0, 0, 0},                          // cut short
    };
    for (const Case& c : cases) {
        const LineTimes t = ReadLineTimes(c.line);
        EXPECT_EQ(t.channel, c.channel) << c.line;
        if (c.channel == 0)
            continue;
        EXPECT_EQ(t.start, c.start) << c.line;
        EXPECT_EQ(t.end, c.end) << c.line;
        EXPECT_EQ(t.size, c.size) << c.line;
    }
}

TEST(TimelineLines, LanesPerChannelEachInOrderOfStart) {
    const std::vector<std::wstring> lines = {
        LineOf(5, Dec7(12), Dec7(12, 1)),  // 0
        LineOf(2, Dec7(11), Dec7(11, 30)), // 1
        L"not a line",                     // 2
        LineOf(5, Dec7(9), Dec7(9, 2)),    // 3
        LineOf(2, Dec7(10), Dec7(9)),      // 4: ends before it starts
        LineOf(5, Dec7(9), Dec7(9, 1)),    // 5: same start as 3, later line
    };
    const Timeline t = BuildTimeline(lines);
    ASSERT_EQ(t.lanes.size(), 2u);
    EXPECT_EQ(t.lanes[0].channel, 2);
    EXPECT_EQ(t.lanes[1].channel, 5);
    std::vector<std::int32_t> order;
    for (const Recording& r : t.recordings)
        order.push_back(r.line);
    EXPECT_EQ(order, (std::vector<std::int32_t>{4, 1, 3, 5, 0}));
    EXPECT_EQ(t.lanes[0].longest, 30 * 60);
    EXPECT_EQ(t.recordings[0].end, t.recordings[0].start); // never before its start
    for (std::int32_t line = 0; line < 6; ++line) {
        const std::int32_t item = t.ItemOfLine(line);
        if (line == 2) {
            EXPECT_EQ(item, -1);
            continue;
        }
        ASSERT_GE(item, 0);
        EXPECT_EQ(t.recordings[item].line, line);
    }
    EXPECT_EQ(t.ItemOfLine(6), -1);
    EXPECT_EQ(t.firstDay, Dec7(0));
    EXPECT_EQ(t.lastDay, Dec7(0));
}

TEST(TimelineLines, TheAxisCoversTheSearchedDaysAndEveryRecording) {
    const Seconds day = kSecondsPerDay;
    struct Case {
        Seconds searchedFrom, searchedTo, firstDay, lastDay;
    };
    const std::vector<std::wstring> lines = {LineOf(1, Dec7(23, 50), Dec7(0, 10) + day)};
    const Case cases[] = {
        {0, 0, Dec7(0), Dec7(0) + day},                                 // the recording's days
        {Dec7(0) - 2 * day, Dec7(0), Dec7(0) - 2 * day, Dec7(0) + day}, // the search's, widened
    };
    for (const Case& c : cases) {
        const Timeline t = BuildTimeline(lines, c.searchedFrom, c.searchedTo);
        EXPECT_EQ(t.firstDay, c.firstDay);
        EXPECT_EQ(t.lastDay, c.lastDay);
    }
}

TEST(DayWindow, FromTheTimeFields) {
    struct Case {
        bool fromOn;
        const wchar_t* from;
        bool toOn;
        const wchar_t* to;
        int a, b;
    };
    const Case cases[] = {
        {true, L"08:00:00", true, L"16:00:00", 8 * 3600, 16 * 3600 + 1},
        {true, L" 8:30:00", false, L"16:00:00", 8 * 3600 + 1800, 86400}, // blank hour tens
        {false, L"08:00:00", true, L"09.15.00", 0, 9 * 3600 + 900 + 1},  // dot separator
        {true, L"16:00:00", true, L"08:00:00", 0, 86400},                // reversed: whole day
        {true, L"25:00:00", false, L"", 0, 86400},                       // not a time
    };
    for (const Case& c : cases) {
        const DayWindow w = DayWindowOf(c.fromOn, c.from, c.toOn, c.to);
        EXPECT_EQ(w.from, c.a) << c.from << L" " << c.to;
        EXPECT_EQ(w.to, c.b) << c.from << L" " << c.to;
    }
}

TEST(Fold, KeepsOnlyTheWindowOfEachDay) {
    const Seconds origin = Dec7(0);
    const Fold folded(origin, {8 * 3600, 16 * 3600}, true);
    const Fold whole(origin, {8 * 3600, 16 * 3600}, false);
    struct Case {
        Seconds t;
        double foldedShown, wholeShown;
    };
    const Seconds day = kSecondsPerDay;
    const Case cases[] = {
        {Dec7(8), 0, 8 * 3600},
        {Dec7(3), 0, 3 * 3600}, // before the window: its start
        {Dec7(12), 4 * 3600, 12 * 3600},
        {Dec7(20), 8 * 3600, 20 * 3600},           // after it: its end
        {Dec7(9) + day, 9 * 3600, day + 9 * 3600}, // the next day follows at once
        {Dec7(9) + 6 * day, 6 * 8 * 3600 + 3600, 6 * day + 9 * 3600},
        {Dec7(23) - day, 0, -3600}, // the day before the origin
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(folded.Shown(c.t), c.foldedShown) << c.t - origin;
        EXPECT_DOUBLE_EQ(whole.Shown(c.t), c.wholeShown) << c.t - origin;
        EXPECT_DOUBLE_EQ(folded.Shown(static_cast<double>(c.t) + 0.5),
                         folded.ShowsTimeOfDay(c.t - MidnightOf(c.t)) &&
                                 c.t - MidnightOf(c.t) < 16 * 3600
                             ? c.foldedShown + 0.5
                             : c.foldedShown)
            << c.t - origin;
    }
    // Shown back to real time lands inside the window.
    for (double shown : {0.0, 3600.0, 8 * 3600.0 + 60, 13 * 8 * 3600.0 + 1})
        EXPECT_DOUBLE_EQ(folded.Shown(folded.Real(shown)), shown);
    EXPECT_DOUBLE_EQ(folded.Real(8 * 3600.0 + 60), static_cast<double>(Dec7(8, 1) + day));
}

TEST(TimeScale, MapsTimeToPixelsAndZoomsAroundThePointer) {
    // Two days over 1728 pixels from x = 100: 100 seconds a pixel.
    const Fold fold(Dec7(0), {}, false);
    TimeScale scale(fold, Dec7(0), Dec7(0) + kSecondsPerDay, 100, 1728);
    EXPECT_DOUBLE_EQ(scale.SecondsPerPixel(), 100);
    EXPECT_DOUBLE_EQ(scale.X(Dec7(0)), 100);
    EXPECT_DOUBLE_EQ(scale.X(Dec7(12)), 100 + 432);
    EXPECT_DOUBLE_EQ(scale.TimeAt(100 + 432), static_cast<double>(Dec7(12)));

    struct Step {
        double x, factor;
        double perPixel; // after the step
    };
    const Step steps[] = {
        {532, 10, 10}, // closer
        {900, 2, 5},
        {300, 1e9, 10.0 / 1728}, // no closer than ten seconds across
        {1000, 1e-12, 100},      // no farther than the whole axis
    };
    for (const Step& s : steps) {
        const double before = scale.TimeAt(s.x);
        scale.ZoomAround(s.x, s.factor);
        EXPECT_DOUBLE_EQ(scale.SecondsPerPixel(), s.perPixel) << s.x;
        if (s.perPixel < 100)
            EXPECT_NEAR(scale.TimeAt(s.x), before, 1e-6) << s.x;
        EXPECT_GE(scale.ShownStart(), 0);
        EXPECT_LE(scale.ShownEnd(), 2 * kSecondsPerDay + 1e-6);
    }
}

TEST(TimeScale, ScrollingStaysOnTheAxisAndRevealFollowsOnlyWhenOutside) {
    const Fold fold(Dec7(0), {}, false);
    TimeScale scale(fold, Dec7(0), Dec7(0), 0, 1000);
    scale.SetSecondsPerPixel(10, 0); // 10000 s in view
    struct Case {
        double scrollTo;
        double start;
    };
    const Case cases[] = {{-500, 0}, {5000, 5000}, {1e9, 86400 - 10000}};
    for (const Case& c : cases) {
        scale.ScrollToShown(c.scrollTo);
        EXPECT_DOUBLE_EQ(scale.ShownStart(), c.start);
    }
    scale.ScrollToShown(5000);
    scale.Reveal(Dec7(3), 50); // 10800: in view, nothing moves
    EXPECT_DOUBLE_EQ(scale.ShownStart(), 5000);
    scale.Reveal(Dec7(5), 50); // 18000: beyond the right edge, now 50 pixels inside
    EXPECT_DOUBLE_EQ(scale.X(Dec7(5)), 950);
    scale.Reveal(Dec7(1), 50);
    EXPECT_DOUBLE_EQ(scale.X(Dec7(1)), 50);
}

} // namespace
} // namespace voice::timeline::test
