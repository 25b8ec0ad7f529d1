#include "catalogue/date_time.h"

#include "platform/app_error.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

TEST(DateTimeTest, EncodesDaysSince30December1899) {
    struct Case {
        int year, month, day;
        double days;
    };
    const Case cases[] = {{1899, 12, 30, 0},     {1900, 1, 1, 2},      {1900, 3, 1, 61},
                          {2000, 1, 1, 36526},   {2010, 3, 15, 40252}, {2020, 2, 29, 43890},
                          {2037, 12, 31, 50405}, {1, 1, 1, -693593}};
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.days) << c.year << '-' << c.month;
        EXPECT_EQ(DateOf(c.days), (CalendarDate{c.year, c.month, c.day})) << c.days;
    }
}

TEST(DateTimeTest, RejectsDatesThatDoNotExist) {
    const int impossible[][3] = {{2018, 2, 29}, {1900, 2, 29}, {2010, 4, 31},
                                 {2010, 13, 1}, {2010, 0, 1},  {0, 1, 1}};
    for (const auto& d : impossible)
        EXPECT_THROW(EncodeDate(d[0], d[1], d[2]), DateEncodeError) << d[0] << '-' << d[1];
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
}

TEST(DateTimeTest, WritesThePatternsWithLeadingZeros) {
    const DateTimeParts p{2010, 3, 5, 9, 4, 7};
    EXPECT_EQ(FormatYyyymmdd(EncodeDate(1999, 12, 31)), L"19991231");
    EXPECT_EQ(FormatHhnnss(p, L'.'), L"09.04.07");
    EXPECT_EQ(FormatListDateTime(p), L"05.03.10 09:04:07");
}

TEST(DateTimeTest, FileTimesDropToTheEvenSecondBelow) {
    // 100 ns ticks from 01.01.1601 to 01.01.1970.
    constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;
    constexpr std::uint64_t kSecond = 10'000'000ULL;
    struct Case {
        std::uint64_t unixSeconds;
        DateTimeParts expected;
    };
    const Case cases[] = {
        {1268646063, {2010, 3, 15, 9, 41, 2}}, // 09:41:03 -> :02
        {1268646062, {2010, 3, 15, 9, 41, 2}},    {951782399, {2000, 2, 28, 23, 59, 58}},
        {951868800, {2000, 3, 1, 0, 0, 0}},       {0, {1970, 1, 1, 0, 0, 0}},
        {4354819199, {2107, 12, 31, 23, 59, 58}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileTimeToTwoSecondParts(kUnixEpoch + c.unixSeconds * kSecond + 9'999'999),
                  c.expected)
            << c.unixSeconds;
    EXPECT_EQ(FileTimeToTwoSecondParts(0), (DateTimeParts{1601, 1, 1, 0, 0, 0}));
}

} // namespace
} // namespace voice
