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
    EXPECT_EQ(PadTo80(L""), std::wstring(80, L' '));
    EXPECT_EQ(PadTo80(L"abc"), L"abc" + std::wstring(77, L' '));
    const std::wstring exact(80, L'x');
    EXPECT_EQ(PadTo80(exact), exact);
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

TEST(ChannelDirTableTest, SettingAShorterPathLeavesTheOldTailBehindTheTerminator) {
    ChannelDirTable table;
    ASSERT_TRUE(table.SetChannelDirBytes(0, "D:\\RECORDS"));
    ASSERT_TRUE(table.SetChannelDirBytes(0, "E:\\"));
    EXPECT_EQ(table.GetChannelDirBytes(0), "E:\\");
    EXPECT_EQ(std::string(table.Data().begin() + 3, table.Data().begin() + 11),
              std::string("\0ECORDS\0", 8));
    ASSERT_TRUE(table.SetChannelDirBytes(2, "D:\\REC"));
    EXPECT_EQ(std::string(table.Data().begin() + 512, table.Data().begin() + 519),
              std::string("D:\\REC\0", 7));
    EXPECT_EQ(table.GetChannelDirBytes(1), "c:\\");
}

TEST(ChannelDirTableTest, RefusesAPathThatDoesNotFitAndKeepsTheEntry) {
    ChannelDirTable table;
    const ChannelDirTable::Bytes before = table.Data();
    EXPECT_FALSE(table.SetChannelDirBytes(4, std::string(256, 'a')));
    EXPECT_EQ(table.Data(), before);
    EXPECT_TRUE(table.SetChannelDirBytes(4, std::string(255, 'a')));
    EXPECT_EQ(table.Data()[4 * 256 + 255], 0);
    EXPECT_EQ(table.Data()[5 * 256], 'c');
}

TEST(ChannelDirTableTest, AnEntryWithoutTerminatorReadsAsAll256Bytes) {
    ChannelDirTable table;
    std::fill(table.Data().begin() + 256, table.Data().begin() + 512, 'Z');
    EXPECT_EQ(table.GetChannelDirBytes(1), std::string(256, 'Z'));
    EXPECT_EQ(table.GetChannelDirBytes(2), "c:\\");
}

} // namespace
} // namespace voice
