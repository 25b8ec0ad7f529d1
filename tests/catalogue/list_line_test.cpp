#include "catalogue/list_line.h"

#include "catalogue/channel_dir_table.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace voice {
namespace {

TEST(ListLineTest, HoldsTheColumnsOfTheRecordersExample) {
    const std::wstring line = BuildListLine(3, {2010, 3, 15, 9, 30, 15}, {2010, 3, 15, 9, 41, 2},
                                            123456, L"D:\\REC3\\A3F\\A3F93015.3");
    EXPECT_EQ(line, L"3  15.03.10 09:30:15  15.03.10 09:41:02  123456" + std::wstring(33, L' ') +
                        L"D:\\REC3\\A3F\\A3F93015.3");
    EXPECT_EQ(line.substr(3, 17), L"15.03.10 09:30:15");  // columns 4..20
    EXPECT_EQ(line.substr(22, 17), L"15.03.10 09:41:02"); // columns 23..39
    EXPECT_EQ(ListLinePath(line), L"D:\\REC3\\A3F\\A3F93015.3");
}

TEST(ListLineTest, WritesTheWholeSizeAndKeepsThePathAtColumn81) {
    struct Case {
        std::uint64_t size;
        const wchar_t* text;
    };
    const Case cases[] = {{0, L"0"},
                          {9, L"9"}, // digit counts on either side of a power of ten
                          {10, L"10"},
                          {100, L"100"},
                          {999'999'999, L"999999999"},
                          {9'999'999'999'999'999'999ULL, L"9999999999999999999"},
                          {10'000'000'000'000'000'000ULL, L"10000000000000000000"},
                          {2'147'483'648ULL, L"2147483648"}, // would be negative in 32 bits
                          {4'294'967'296ULL + 5, L"4294967301"},
                          {18'446'744'073'709'551'615ULL, L"18446744073709551615"}};
    for (const Case& c : cases) {
        const std::wstring line = BuildListLine(8, {}, {}, c.size, L"p");
        const std::wstring expected = c.text;
        EXPECT_EQ(line.substr(41, expected.size()), expected);
        EXPECT_EQ(line.find_first_not_of(L' ', 41 + expected.size()), 80u);
        EXPECT_EQ(line.substr(80), L"p");
    }
}

TEST(ListLineTest, PathIsTheTextFromColumn81WithoutLeadingBlanks) {
    const std::wstring display(80, L'x');
    const struct {
        const char* name;
        std::wstring line, path;
    } cases[] = {
        {"80 characters", display, L""},
        {"shorter line", L"1  01.02.03", L""},
        {"path right at column 81", display + L"C:\\A\\B.1", L"C:\\A\\B.1"},
        {"leading blanks and controls", display + L" \t\x01\x1F C:\\A.1", L"C:\\A.1"},
        {"trailing blanks stay", display + L"  C:\\A.1  ", L"C:\\A.1  "},
        {"only blanks", display + L"   ", L""},
        {"Cyrillic", display + L" C:\\Запись\\1.1", L"C:\\Запись\\1.1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListLinePath(c.line), c.path) << c.name;
}

TEST(ListLineTest, ParsedLineTakesTheCenturyFromTheNameThenFromTheShownDigits) {
    const std::wstring display = L"3  15.03.00 09:30:15  15.03.79 09:41:02  123456";
    const std::wstring pad(80 - display.size(), L' ');
    const struct {
        const char* name;
        std::wstring line;
        int startYear, endYear;
        std::wstring_view path;
    } cases[] = {
        {"name of another shape: 1900", display + pad + L"D:\\R\\NOTE.WAV", 1900, 2079,
         L"D:\\R\\NOTE.WAV"},
        {"name in 2000", display + pad + L"D:\\R\\030F9301.3", 2000, 2079, L"D:\\R\\030F9301.3"},
        {"leading blanks before the path", display + pad + L"  D:\\R\\NOTE.WAV", 1900, 2079,
         L"D:\\R\\NOTE.WAV"},
        {"no path: the digits' rule", display + pad, 2000, 2079, L""},
        {"name of 1999, digits 99",
         L"3  15.03.99 09:30:15  15.03.80 09:41:02  1" + std::wstring(38, L' ') + L"D:\\#3F93015.3",
         1999, 1980, L"D:\\#3F93015.3"},
        {"name disagrees with the digits",
         L"3  15.03.12 09:30:15  15.03.12 09:41:02  1" + std::wstring(38, L' ') + L"D:\\A3F93015.3",
         2012, 2012, L"D:\\A3F93015.3"},
        {"a blank short: nothing invented", L"3 15.03.10 09:30:15", -1, -1, L""},
    };
    for (const auto& c : cases) {
        const ParsedListLine parsed = ParseListLine(c.line);
        EXPECT_EQ(parsed.start.year, c.startYear) << c.name;
        EXPECT_EQ(parsed.end.year, c.endYear) << c.name;
        EXPECT_EQ(parsed.path, c.path) << c.name;
    }
}

TEST(ListLineTest, PadTo80PadsShortTextOnly) {
    EXPECT_EQ(PadTo80(L"abc"), L"abc" + std::wstring(77, L' '));
    const std::wstring longer(95, L'y');
    EXPECT_EQ(PadTo80(longer), longer);
}

TEST(ChannelDirTableTest, StartsAsTheDefaultTable) {
    const ChannelDirTable table;
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(table.GetChannelDirBytes(k), "c:\\");
        const auto* entry = table.Data().data() + k * 256;
        EXPECT_TRUE(std::all_of(entry + 3, entry + 256, [](unsigned char b) { return b == 0; }));
    }
}

TEST(ChannelDirTableTest, AnEntryWithoutTerminatorReadsAsAll256Bytes) {
    ChannelDirTable table;
    std::fill(table.Data().begin() + 256, table.Data().begin() + 512, 'Z');
    EXPECT_EQ(table.GetChannelDirBytes(1), std::string(256, 'Z'));
    EXPECT_EQ(table.GetChannelDirBytes(2), "c:\\");
}

} // namespace
} // namespace voice
