// Finding recordings from the keyboard and the mouse, and the heard marks' store.

#include "catalogue/line_columns.h"
#include "catalogue/local_time.h"
#include "platform/utf8.h"
#include "timeline/heard_marks.h"
#include "timeline/navigation.h"
#include "timeline_lines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace voice::timeline::test {
namespace {

// Lines by name, so that the tables read as the picture does:
//   channel 1:  a 10:00-10:05   b 10:20-10:21   c 11:00-11:30
//   channel 3:  d 10:03-10:04   e 10:40-10:50
//   channel 6:  f 09:00-09:01
const std::vector<std::wstring>& Picture() {
    static const std::vector<std::wstring> lines = {
        LineOf(3, Dec7(10, 40), Dec7(10, 50)), // e
        LineOf(1, Dec7(10), Dec7(10, 5)),      // a
        LineOf(1, Dec7(11), Dec7(11, 30)),     // c
        LineOf(6, Dec7(9), Dec7(9, 1)),        // f
        LineOf(1, Dec7(10, 20), Dec7(10, 21)), // b
        LineOf(3, Dec7(10, 3), Dec7(10, 4)),   // d
    };
    return lines;
}
constexpr const char* kNames = "eacfbd"; // by line

char NameOf(const Timeline& t, std::int32_t item) {
    return item < 0 ? '-' : kNames[t.recordings[item].line];
}
std::int32_t ItemNamed(const Timeline& t, char name) {
    return t.ItemOfLine(static_cast<std::int32_t>(std::string_view(kNames).find(name)));
}

TEST(Navigation, KeysMoveInTimeAndBetweenLanes) {
    const Timeline t = BuildTimeline(Picture());
    struct Case {
        char from;
        const char* key;
        char to;
    };
    const Case cases[] = {
        {'a', "right", 'b'}, {'b', "right", 'c'}, {'c', "right", 'c'}, // stays at the end
        {'b', "left", 'a'},  {'a', "left", 'a'},  {'d', "right", 'e'},
        {'a', "down", 'd'}, // d starts three minutes after a
        {'b', "down", 'd'}, // 10:20: d ended 16 minutes before, e starts 20 after
        {'c', "down", 'e'},  {'e', "down", 'f'},  {'f', "down", 'f'}, // bottom lane
        {'f', "up", 'd'},    {'e', "up", 'b'},    {'a', "up", 'a'},   // top lane
    };
    for (const Case& c : cases) {
        const std::int32_t from = ItemNamed(t, c.from);
        const std::string key = c.key;
        const std::int32_t to = key == "right"  ? NextInLane(t, from, 1)
                                : key == "left" ? NextInLane(t, from, -1)
                                : key == "down" ? InNeighbourLane(t, from, 1)
                                                : InNeighbourLane(t, from, -1);
        EXPECT_EQ(NameOf(t, to), c.to) << c.from << ' ' << c.key;
    }
    EXPECT_EQ(NameOf(t, FirstRecording(t)), 'f');
    EXPECT_EQ(NameOf(t, LastRecording(t)), 'c');
    EXPECT_EQ(NextInLane(t, -1, 1), -1);
    EXPECT_EQ(FirstRecording(BuildTimeline({})), -1);
}

TEST(Navigation, NearestInALane) {
    const Timeline t = BuildTimeline(Picture());
    struct Case {
        Seconds at;
        char found;
    };
    const Case cases[] = {
        {Dec7(8), 'a'},      {Dec7(10, 2), 'a'},  {Dec7(10, 12), 'a'}, // 7 min vs 8
        {Dec7(10, 13), 'b'}, {Dec7(10, 50), 'c'}, {Dec7(23), 'c'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameOf(t, NearestInLane(t, 0, static_cast<double>(c.at))), c.found) << c.at;
    EXPECT_EQ(NearestInLane(t, 9, 0), -1);
}

TEST(Navigation, TheMouseFindsBarsAndSpans) {
    const Timeline t = BuildTimeline(Picture());
    // 09:00 to 12:00 over 1080 pixels from x = 0: 10 seconds a pixel.
    const Fold fold(Dec7(0), {}, false);
    TimeScale scale(fold, Dec7(0), Dec7(0), 0, 1080);
    scale.SetSecondsPerPixel(10, 0);
    scale.ScrollToShown(9 * 3600);
    const auto x = [&](int h, int m) { return scale.X(Dec7(h, m)); };
    struct Case {
        std::size_t lane;
        double x;
        char hit;
    };
    const Case cases[] = {
        {0, x(10, 2), 'a'},     {0, x(10, 5) + 2, 'a'}, // within the tolerance
        {0, x(10, 5) + 4, '-'}, {0, x(10, 20) - 3, 'b'}, {1, x(10, 3) + 1, 'd'},
        {2, x(9, 0), 'f'},      {1, x(11, 0), '-'},      {3, x(10, 0), '-'}, // no fourth lane
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameOf(t, HitTest(t, c.lane, scale, c.x, 3)), c.hit) << c.lane << ' ' << c.x;

    struct Span {
        Seconds from, to;
        const char* found; // by line
    };
    const Span spans[] = {
        {Dec7(10, 4), Dec7(10, 45), "eabd"}, // d touched at its end, e at its middle
        {Dec7(10, 45), Dec7(10, 4), "eabd"}, // dragged leftwards
        {Dec7(9, 30), Dec7(9, 50), ""},
        {Dec7(0), Dec7(23), "eacfbd"},
    };
    for (const Span& s : spans) {
        std::string names;
        for (std::int32_t item :
             RecordingsInSpan(t, static_cast<double>(s.from), static_cast<double>(s.to)))
            names += NameOf(t, item);
        EXPECT_EQ(names, s.found) << s.from << ' ' << s.to;
    }
}

TEST(HeardMarks, KeyedByPathSizeAndWriteTime) {
    const std::wstring line = LineOf(2, Dec7(10), Dec7(10, 5), 4242, L"D:\\demo\\kanal2\\Запись.2");
    HeardMarks marks;
    EXPECT_FALSE(marks.Heard(line));
    EXPECT_TRUE(marks.Mark(line));
    EXPECT_FALSE(marks.Mark(line)); // once
    EXPECT_TRUE(marks.Heard(line));
    struct Case {
        const char* what;
        std::wstring other;
    };
    const Case others[] = {
        {"rewritten later", LineOf(2, Dec7(10), Dec7(10, 6), 4242, L"D:\\demo\\kanal2\\Запись.2")},
        {"another size", LineOf(2, Dec7(10), Dec7(10, 5), 4243, L"D:\\demo\\kanal2\\Запись.2")},
        {"another file", LineOf(2, Dec7(10), Dec7(10, 5), 4242, L"D:\\demo\\kanal2\\Запись.3")},
    };
    for (const Case& c : others)
        EXPECT_FALSE(marks.Heard(c.other)) << c.what;
    EXPECT_FALSE(marks.Mark(L"not a recording"));
    // The write time in UTC: the list's end less the offset it was listed with (now's).
    std::string utc = voice::ToUtf8(FormatIsoDateTime(PartsOf(Dec7(10, 5) - UtcOffsetNow())));
    utc[10] = 'T';
    EXPECT_EQ(HeardKeyOf(line), "4242\t" + utc + "Z\tD:\\demo\\kanal2\\Запись.2");
    // A mark of the first version (the list's end as it was shown) still counts.
    bool damaged = true;
    EXPECT_TRUE(HeardMarks::Parse("Voice heard marks 1\n4242\t2026-12-07 10:05:00\t"
                                  "D:\\demo\\kanal2\\Запись.2\n",
                                  damaged)
                    .Heard(line));
}

// A first-version mark's end was shown by the offset in force when it was made, which is
// not known: it matches by size and path (the name gives channel and start), becomes
// today's mark once a list shows its recording, and is kept until then.
TEST(HeardMarks, AnEarlyMarkOutlivesAClockChangeAndIsRewrittenWhenListed) {
    const std::wstring listed = LineOf(2, Dec7(10), Dec7(10, 5), 4242, L"D:\\k\\Запись.2");
    const std::wstring notListed = LineOf(2, Dec7(11), Dec7(11, 5), 7, L"D:\\k\\Другая.2");
    bool damaged = true;
    HeardMarks marks = HeardMarks::Parse("Voice heard marks 1\n"
                                         "4242\t2026-12-07 11:05:00\tD:\\k\\Запись.2\n"
                                         "7\t2026-12-07 10:05:00\tD:\\k\\Другая.2\n",
                                         damaged);
    EXPECT_FALSE(damaged);
    EXPECT_TRUE(marks.Heard(listed));
    EXPECT_TRUE(marks.Heard(notListed));
    EXPECT_FALSE(marks.Heard(LineOf(2, Dec7(10), Dec7(10, 5), 4243, L"D:\\k\\Запись.2")));
    EXPECT_TRUE(marks.Settle(std::vector{listed}));
    EXPECT_FALSE(marks.Settle(std::vector{listed}));
    const std::string text = marks.Serialize();
    EXPECT_NE(text.find(HeardKeyOf(listed) + "\n"), std::string::npos) << text;
    const HeardMarks again = HeardMarks::Parse(text, damaged);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(again.Size(), 2u);
    EXPECT_TRUE(again.Heard(listed) && again.Heard(notListed));
}

// Each name a line of its own in the file, however odd, and no two names sharing a key.
TEST(HeardMarks, AnyNameSurvivesTheFile) {
    const std::wstring names[] = {
        L"D:i\x01\r", L"a\tb\nc",       L"100%41",
        L"100A",      L"Z:\\QC5\u00FF", L"Z:\\QC5" + std::wstring(1, static_cast<wchar_t>(0xDCFF))};
    HeardMarks marks;
    for (const std::wstring& name : names)
        EXPECT_TRUE(marks.Mark(LineOf(2, Dec7(10), Dec7(10, 5), 1, name)));
    bool damaged = true;
    const HeardMarks again = HeardMarks::Parse(marks.Serialize(), damaged);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(again.Size(), std::size(names));
    for (const std::wstring& name : names)
        EXPECT_TRUE(again.Heard(LineOf(2, Dec7(10), Dec7(10, 5), 1, name))) << voice::ToUtf8(name);
}

TEST(HeardMarks, ADamagedTextKeepsWhatReads) {
    const std::string good = "12\t2026-12-07 10:05:00\tD:\\a.1";
    const std::string good2 = "12\t2026-12-07T09:05:00Z\tD:\\a%0D.1";
    struct Case {
        const char* what;
        std::string text;
        std::size_t kept;
        bool damaged;
    };
    const Case cases[] = {
        {"empty", "", 0, false},
        {"ours", "Voice heard marks 1\n" + good + "\n", 1, false},
        {"Windows line ends", "Voice heard marks 1\r\n" + good + "\r\n\r\n", 1, false},
        {"a bad line among good", "Voice heard marks 1\n" + good + "\nx\tbad\n12\t2026-12-07\tp\n",
         1, true},
        {"no path", "Voice heard marks 1\n12\t2026-12-07 10:05:00\t\n", 0, true},
        {"this version", "Voice heard marks 2\n" + good2 + "\n", 1, false},
        {"another header", "Voice heard marks 3\n" + good2 + "\n", 0, true},
        {"binary", std::string("\0\x01\xff", 3), 0, true},
    };
    for (const Case& c : cases) {
        bool damaged = false;
        const HeardMarks marks = HeardMarks::Parse(c.text, damaged);
        EXPECT_EQ(marks.Size(), c.kept) << c.what;
        EXPECT_EQ(damaged, c.damaged) << c.what;
        bool again = true;
        EXPECT_EQ(HeardMarks::Parse(marks.Serialize(), again).Size(), c.kept) << c.what;
        EXPECT_FALSE(again) << c.what;
    }
}

TEST(HeardMarks, TheFileSurvivesARestartAndADamagedOneIsRewritten) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "voice_heard_marks_test";
    std::filesystem::remove_all(dir);
    const std::filesystem::path file = dir / "sub" / "heard-marks.txt";
    const std::wstring a = LineOf(1, Dec7(10), Dec7(10, 5)), b = LineOf(1, Dec7(11), Dec7(11, 5));

    bool rewrite = true;
    HeardMarks marks = LoadHeardMarks(file, rewrite); // none yet
    EXPECT_EQ(marks.Size(), 0u);
    EXPECT_FALSE(rewrite);
    marks.Mark(a);
    ASSERT_TRUE(SaveHeardMarks(marks, file));
    marks.Mark(b);
    ASSERT_TRUE(SaveHeardMarks(marks, file)); // over the first
    HeardMarks again = LoadHeardMarks(file, rewrite);
    EXPECT_TRUE(again.Heard(a) && again.Heard(b));
    EXPECT_FALSE(rewrite);
    // Only the file itself stays: no temporary beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1);

    std::ofstream(file, std::ios::binary | std::ios::app) << "garbage\n";
    again = LoadHeardMarks(file, rewrite);
    EXPECT_TRUE(rewrite);
    EXPECT_TRUE(again.Heard(a) && again.Heard(b));
    ASSERT_TRUE(SaveHeardMarks(again, file));
    LoadHeardMarks(file, rewrite);
    EXPECT_FALSE(rewrite);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace voice::timeline::test
