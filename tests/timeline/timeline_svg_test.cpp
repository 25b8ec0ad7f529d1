// The SVG picture parsed back: a lane per channel, one bar per recording at its place, and
// the tooltip's text as each bar's title.

#include "platform/utf8.h"
#include "timeline/timeline_svg.h"
#include "timeline_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace voice::timeline::test {
namespace {

struct ParsedBar {
    int line;
    double x, y, width;
    std::string title;
};

std::vector<ParsedBar> Bars(const std::string& svg) {
    const std::regex bar(
        "<rect class=\"bar[a-z ]*\" data-line=\"(\\d+)\" x=\"([-0-9.]+)\" y=\"(\\d+)\" "
        "width=\"([0-9.]+)\" height=\"\\d+\"><title>([^<]*)</title></rect>");
    std::vector<ParsedBar> bars;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), bar); it != std::sregex_iterator();
         ++it)
        bars.push_back({std::stoi((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                        std::stod((*it)[4]), (*it)[5]});
    return bars;
}

TEST(TimelineSvg, OneBarPerRecordingAtItsPlace) {
    // One day over 1440 pixels after 90 pixels of labels: a minute a pixel.
    const std::vector<std::wstring> lines = {
        LineOf(3, Dec7(12), Dec7(12, 30), 99, L"D:\\k3\\a&b<c>.3"),
        LineOf(1, Dec7(0, 10), Dec7(0, 10, 2)), // two seconds: drawn a pixel wide
        LineOf(3, Dec7(23), Dec7(23, 59, 59)),
        LineOf(1, Dec7(6), Dec7(7)),
    };
    const Timeline timeline = BuildTimeline(lines);
    SvgLayout layout;
    layout.width = 90 + 1440;
    const std::string svg =
        TimelineSvg(timeline, lines, Fold(timeline.firstDay, {}, false), layout);

    struct Expected {
        double x, y, width;
    };
    const std::map<int, Expected> expected = {
        {0, {90 + 720, 40 + 32 + 4, 30}},
        {1, {90 + 10, 40 + 4, 1}},
        {2, {90 + 1380, 40 + 32 + 4, 59.983}},
        {3, {90 + 360, 40 + 4, 60}},
    };
    const std::vector<ParsedBar> bars = Bars(svg);
    ASSERT_EQ(bars.size(), lines.size());
    for (const ParsedBar& bar : bars) {
        const Expected& e = expected.at(bar.line);
        EXPECT_NEAR(bar.x, e.x, 0.001) << bar.line;
        EXPECT_EQ(bar.y, e.y) << bar.line;
        EXPECT_NEAR(bar.width, e.width, 0.001) << bar.line;
    }
    const auto first = std::find_if(bars.begin(), bars.end(), [](auto& b) { return b.line == 0; });
    EXPECT_EQ(first->title,
              "Канал 3\nНачало: 07.12.2026 12:00:00\nКонец: 07.12.2026 12:30:00\n"
              "Длительность: 0:30:00\nРазмер: 99 байт\nФайл: D:\\k3\\a&amp;b&lt;c&gt;.3");

    // The lanes and the axis: labels in lane order, a day change at the left edge.
    EXPECT_NE(svg.find(">Канал 1</text>"), std::string::npos);
    EXPECT_LT(svg.find(">Канал 1</text>"), svg.find(">Канал 3</text>"));
    EXPECT_NE(svg.find("<line class=\"day\" x1=\"90\""), std::string::npos);
    EXPECT_NE(svg.find(">07.12.26</text>"), std::string::npos);
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
}

TEST(TimelineSvg, FoldedHoursKeepOnlyTheWindow) {
    // 08:00 to 16:00 on two days over 960 pixels: a minute a pixel; the second day
    // begins at pixel 480.
    const std::vector<std::wstring> lines = {
        LineOf(2, Dec7(9), Dec7(9, 10)),
        LineOf(2, Dec7(9) + kSecondsPerDay, Dec7(9, 10) + kSecondsPerDay),
    };
    const Timeline timeline = BuildTimeline(lines);
    SvgLayout layout;
    layout.width = 90 + 960;
    const std::string svg =
        TimelineSvg(timeline, lines, Fold(timeline.firstDay, {8 * 3600, 16 * 3600}, true), layout);
    const std::vector<ParsedBar> bars = Bars(svg);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_NEAR(bars[0].x, 90 + 60, 0.001);
    EXPECT_NEAR(bars[1].x, 90 + 480 + 60, 0.001);
    EXPECT_NEAR(bars[1].width, 10, 0.001);
}

TEST(TimelineSvg, GridOverTheLanesUnderTheBarsAndHeardFaded) {
    const std::vector<std::wstring> lines = {LineOf(1, Dec7(9), Dec7(10)),
                                             LineOf(2, Dec7(11), Dec7(12))};
    const Timeline timeline = BuildTimeline(lines);
    const std::string svg =
        TimelineSvg(timeline, lines, Fold(timeline.firstDay, {}, false), {}, {false, true});
    // Painted in order: a lane would hide the grid drawn before it.
    EXPECT_LT(svg.rfind("class=\"lane\""), svg.find("<line class=\"tick\""));
    EXPECT_LT(svg.rfind("<line class="), svg.find("class=\"bar"));
    EXPECT_NE(svg.find("class=\"bar\" data-line=\"0\""), std::string::npos);
    EXPECT_NE(svg.find("class=\"bar heard\" data-line=\"1\""), std::string::npos);
    EXPECT_NE(svg.find(">Записи 07.12.26, каналы 1, 2: 2, прослушано 1</text>"), std::string::npos);
}

// Well-formed as XML 1.0 sees characters: valid UTF-8 (a lone surrogate would not survive
// the round trip) of admitted characters, references only to tab, line feed and CR.
bool OnlyXmlChars(const std::string& svg) {
    const std::wstring text = voice::FromUtf8(svg);
    const auto admitted = [](wchar_t w) {
        const auto c = static_cast<std::uint32_t>(w);
        return c == 9 || c == 10 || c == 13 || (c >= 0x20 && c <= 0xD7FF) ||
               (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF) ||
               (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF);
    };
    return voice::ToUtf8(text) == svg && std::all_of(text.begin(), text.end(), admitted) &&
           !std::regex_search(svg, std::regex("&#(?!9;|10;|13;)"));
}

// Names with what XML cannot hold as it is: the picture still parses, and the title names
// the file as the list would.
TEST(TimelineSvg, AnyNameGivesAWellFormedDocument) {
    struct Case {
        std::wstring name;
        std::string title;
    } cases[] = {
        {L"a\x01-b\x1F\x7F", "a\\x01-b\\x1F\x7F"},
        {std::wstring(L"z") + wchar_t(0xFFFE) + wchar_t(0xFFFF), "z\\xFFFE\\xFFFF"},
        {L"cr\r\ttab\nlf", "cr&#13;&#9;tab\nlf"},
        {std::wstring(L"s") + wchar_t(0xD800) + L"-" + wchar_t(0xDC00), "s\\xD800-\\xDC00"},
        {L"\U0001F600 \"q\" <&>", "\xF0\x9F\x98\x80 &quot;q&quot; &lt;&amp;&gt;"},
    };
    for (const Case& c : cases) {
        const std::vector<std::wstring> lines = {LineOf(1, Dec7(1), Dec7(2), 9, L"D:\\" + c.name)};
        const Timeline timeline = BuildTimeline(lines);
        const std::string svg = TimelineSvg(timeline, lines, Fold(timeline.firstDay, {}, false));
        EXPECT_TRUE(OnlyXmlChars(svg)) << c.title;
        const std::vector<ParsedBar> bars = Bars(svg);
        ASSERT_EQ(bars.size(), 1u) << c.title;
        EXPECT_TRUE(bars[0].title.ends_with("Файл: D:\\" + c.title)) << bars[0].title;
    }
}

} // namespace
} // namespace voice::timeline::test
