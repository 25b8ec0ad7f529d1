// The timeline window's behaviour without the window: selection, focus, span, following,
// fitting the recordings, and what "Перейти к времени…" accepts.

#include "timeline/go_to_time.h"
#include "timeline/timeline_view_model.h"
#include "timeline/tooltip.h"
#include "timeline_lines.h"

#include <gtest/gtest.h>

namespace voice::timeline::test {
namespace {

// Channel 1: a 10:00-10:05, b 10:20-10:21, c 11:00-11:30; channel 3: d 10:03-10:04,
// e 10:40-10:50; listed in that order. The view: 1000 px from x 100, a 24 px margin.
constexpr const char* kNames = "abcde";
constexpr double kLeft = 100, kWidth = 1000, kMargin = 24;

struct View {
    TimelineViewModel model;
    View() {
        model.Resize(static_cast<int>(kLeft), static_cast<int>(kWidth), kMargin);
        model.SetLines({LineOf(1, Dec7(10), Dec7(10, 5)), LineOf(1, Dec7(10, 20), Dec7(10, 21)),
                        LineOf(1, Dec7(11), Dec7(11, 30)), LineOf(3, Dec7(10, 3), Dec7(10, 4)),
                        LineOf(3, Dec7(10, 40), Dec7(10, 50))},
                       0, 0, {});
    }
    std::int32_t Item(char name) const {
        return model.Model().ItemOfLine(
            static_cast<std::int32_t>(std::string_view(kNames).find(name)));
    }
    std::string Selected() const {
        std::string names;
        for (std::int32_t line : model.SelectedLines())
            names += kNames[line];
        return names;
    }
    double X(Seconds t) const { return model.Scale().X(t); }
};

TEST(TimelineViewModel, ClicksSpansAndKeysSelect) {
    // Steps, each "verb arg": click x (alone), toggle x, activate x, all, span hh:mm-hh:mm,
    // addspan ...; what is selected after them, and which change the host hears of.
    struct Case {
        std::vector<std::string> steps;
        const char* selected;
        const char* told;       // per step: 1 the host is told, 0 not
        bool spanPlays = false; // the span is kept, while the selection is the one it made
    };
    const Case cases[] = {
        {{"click a", "click c"}, "c", "11"},
        {{"click a", "toggle d", "toggle a"}, "d", "111"},
        {{"click -"}, "", "0"}, // a click beside every bar changes nothing
        {{"click b", "activate b", "activate e"}, "e", "101"},
        {{"all"}, "abcde", "1"},
        {{"span 10:02-10:21"}, "abd", "1", true}, // across lanes, overlap counts
        {{"span 10:02-10:21", "toggle d"}, "ab", "11"},
        {{"click c", "addspan 10:45-10:46"}, "ce", "11", true},
        {{"click c", "span 12:00-12:10"}, "", "11"}, // an empty span clears
    };
    for (const Case& c : cases) {
        View v;
        v.model.ShowRecordings();
        std::string told;
        for (const std::string& step : c.steps) {
            const std::string verb = step.substr(0, step.find(' '));
            const char arg = step.back();
            bool t = false;
            if (verb == "click" || verb == "toggle")
                t = v.model.Click(arg == '-' ? -1 : v.Item(arg), verb == "toggle");
            else if (verb == "activate")
                t = v.model.Activate(v.Item(arg));
            else if (verb == "all")
                t = v.model.SelectAll();
            else {
                const auto at = [&](std::size_t i) {
                    return Dec7(std::stoi(step.substr(i, 2)), std::stoi(step.substr(i + 3, 2)));
                };
                const std::size_t from = step.find(' ') + 1;
                v.model.BeginSpan(v.X(at(from)));
                v.model.MoveSpan(v.X(at(from + 6)));
                t = v.model.EndSpan(v.X(at(from + 6)), verb == "addspan");
            }
            told += t ? '1' : '0';
        }
        EXPECT_EQ(v.Selected(), c.selected) << c.steps.front();
        EXPECT_EQ(told, c.told) << c.steps.front();
        EXPECT_EQ(v.model.SelectedSpan().has_value(), c.spanPlays) << c.steps.front();
    }
}

TEST(TimelineViewModel, AFocusedBarIsKeptInsideTheViewWithTheMargin) {
    // At ten minutes across the width, from a view at 10:00.
    struct Case {
        char focus;
        Seconds viewStart;
    };
    const Case cases[] = {{'c', Dec7(10)}, {'a', Dec7(11)}, {'e', Dec7(10)}, {'b', Dec7(10, 18)}};
    for (const Case& c : cases) {
        View v;
        v.model.ZoomAround(kLeft, v.model.Scale().SecondsPerPixel() / (600 / kWidth));
        v.model.ScrollToShown(v.model.Scale().GetFold().Shown(c.viewStart));
        const std::int32_t item = v.Item(c.focus);
        const Recording& r = v.model.Model().recordings[item];
        const bool inView = v.X(r.start) >= kLeft && v.X(r.start) <= kLeft + kWidth;
        const double before = v.model.Scale().ShownStart();
        v.model.MoveFocus(item, false);
        EXPECT_EQ(v.model.Focus(), item);
        EXPECT_GE(v.X(r.start), kLeft + kMargin - 0.5) << c.focus;
        EXPECT_LE(v.X(std::min(r.end, r.start + 500)), kLeft + kWidth - kMargin + 0.5) << c.focus;
        if (inView && v.X(r.end) <= kLeft + kWidth - kMargin && v.X(r.start) >= kLeft + kMargin)
            EXPECT_EQ(v.model.Scale().ShownStart(), before) << c.focus; // no needless scroll
    }
}

TEST(TimelineViewModel, TheViewFollowsThePlayheadUntilMovedAway) {
    View v;
    v.model.ZoomAround(kLeft, v.model.Scale().SecondsPerPixel() / (120 / kWidth)); // 2 min
    const std::int32_t cLine = 2, aLine = 0;
    // Steps: play line at fraction, or the user scrolls by pixels; then whether the view
    // follows, whether all was to be repainted, and whether the playhead is in view.
    struct Step {
        std::int32_t line;
        double fraction;
        double scroll;
        bool following, whole, inView;
    };
    const Step steps[] = {
        {cLine, 0.0, 0, true, true, true},    // a new recording: brought into view
        {cLine, 0.001, 0, true, false, true}, // a small move: only its strip
        {cLine, 0.5, 0, true, true, true},    // far on: the view moves with it
        {-2, 0, 5000, false, false, false},   // the user scrolls away
        {cLine, 0.6, 0, false, false, false}, // stays where the user put it
        {aLine, 0.1, 0, true, true, true},    // the next recording is followed again
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        PlaybackChange change;
        if (s.line == -2)
            v.model.ScrollByPixels(s.scroll);
        else
            change = v.model.SetPlayback(s.line, s.fraction);
        const double x = v.model.PlayheadX();
        EXPECT_EQ(v.model.Following(), s.following) << i;
        if (s.line != -2)
            EXPECT_EQ(change.whole, s.whole) << i;
        EXPECT_EQ(x >= kLeft && x <= kLeft + kWidth, s.inView) << i;
    }
    EXPECT_EQ(v.model.SetPlayback(-1, 0).toX, -1);
}

TEST(TimelineViewModel, ShowingAllFitsTheRecordingsNotTheirDays) {
    View v;
    v.model.ShowRecordings();
    const double first = v.X(Dec7(10)), last = v.X(Dec7(11, 30));
    EXPECT_GE(first, kLeft);
    EXPECT_LE(last, kLeft + kWidth);
    EXPECT_GT(last - first, 0.9 * kWidth);
}

TEST(GoToTime, WhatIsAccepted) {
    const Seconds reference = Dec7(15, 10);
    struct Case {
        const wchar_t* text;
        Seconds expected; // -1: refused
    };
    const Case cases[] = {
        {L"07.12.2026 10:20:30", Dec7(10, 20, 30)},
        {L" 8.12.26 0:05", Dec7(0, 5) + kSecondsPerDay},
        {L"06.12.2026", Dec7(0) - kSecondsPerDay},
        {L"10:20", Dec7(10, 20)}, // on the reference's day
        {L"29.02.2028 12:00", SecondsOf({2028, 2, 29, 12, 0, 0})},
        {L"29.02.2027 12:00", -1},
        {L"07.13.2026", -1},
        {L"24:00", -1},
        {L"10:60", -1},
        {L"7.12", -1},
        {L"10:20:30:40", -1},
        {L"завтра", -1},
        {L"", -1},
        {L"07.12.202 10:00", -1},
        {L"07.12.0999 10:00", -1},
    };
    for (const Case& c : cases) {
        const auto t = ParseGoToTime(c.text, reference);
        EXPECT_EQ(t ? *t : -1, c.expected) << std::string(c.text, c.text + std::wcslen(c.text));
    }
    EXPECT_EQ(ParseGoToTime(GoToTimeText(Dec7(9, 8, 7)), 0), Dec7(9, 8, 7));
}

TEST(MergedColumnTooltip, CountsInTheirOwnWordsAndTheSpanOnceDated) {
    struct Case {
        std::uint32_t count;
        Seconds from, to;
        const wchar_t* text;
    };
    const Case cases[] = {
        {1, Dec7(10), Dec7(10, 30), L"Канал 2\n1 запись\n07.12.2026 10:00:00 – 10:30:00"},
        {3, Dec7(10), Dec7(11), L"Канал 2\n3 записи\n07.12.2026 10:00:00 – 11:00:00"},
        {12, Dec7(10), Dec7(11), L"Канал 2\n12 записей\n07.12.2026 10:00:00 – 11:00:00"},
        {21, Dec7(23), Dec7(1) + kSecondsPerDay,
         L"Канал 2\n21 запись\n07.12.2026 23:00:00 – 08.12.2026 01:00:00"},
        {114, Dec7(10), Dec7(11), L"Канал 2\n114 записей\n07.12.2026 10:00:00 – 11:00:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MergedColumnTooltip(2, c.count, c.from, c.to), c.text) << c.count;
}

TEST(TimelineViewModel, LabelsMuteAndSoloTheirChannels) {
    // Steps on the lanes (0: channel 1, 1: channel 3): "m" a click, "s" Ctrl+click, "k" M
    // on the focused recording (d, channel 3); what sounds and what is struck through.
    struct Case {
        const char* steps;
        const char* sounds; // per lane, 1 sounds
        const char* muted;
    };
    const Case cases[] = {
        {"", "11", "00"},         {"m0", "01", "10"},   {"m0m0", "11", "00"},
        {"s1", "01", "00"},       {"s1s1", "11", "00"}, {"m1s1", "01", "01"}, // solo over muted
        {"m1s1s1", "10", "01"},   {"s0s1", "01", "00"}, {"k1", "10", "01"},
    };
    for (const Case& c : cases) {
        View v;
        v.model.MoveFocus(v.Item('d'), false);
        for (const char* step = c.steps; *step; step += 2) {
            const auto lane = static_cast<std::size_t>(step[1] - '0');
            if (*step == 'k')
                v.model.MuteFocusedLane(false);
            else
                v.model.ClickLabel(lane, *step == 's');
        }
        const LaneSound& sound = v.model.Sound();
        for (std::size_t lane = 0; lane < 2; ++lane) {
            const int channel = v.model.Model().lanes[lane].channel;
            EXPECT_EQ(sound.Sounds(channel), c.sounds[lane] == '1') << c.steps << " lane " << lane;
            EXPECT_EQ(sound.Muted(channel), c.muted[lane] == '1') << c.steps << " lane " << lane;
        }
    }
}

} // namespace
} // namespace voice::timeline::test
