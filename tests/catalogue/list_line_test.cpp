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
