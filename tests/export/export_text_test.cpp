#include <gtest/gtest.h>

#include "catalogue/list_line.h"
#include "export/export_job.h"
#include "export_fixture.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"

namespace voice::exporting::test {
namespace {

TEST(Utf8Test, TextRoundTripsAndANameThatIsNoTextKeepsItsBytes) {
    const std::wstring texts[] = {L"", L"abc", L"Канал 3 ё", L"\u20AC", L"\U0001F600"};
    for (const std::wstring& text : texts)
        EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    // Bytes outside a valid sequence go back to the system as they came and are shown as
    // "\xNN", never as U+FFFD.
    const std::pair<std::string, std::string> names[] = {
        {"\xCA\xE0\xED\xE0\xEB", "\\xCA\\xE0\\xED\\xE0\\xEB"}, // code page 1251
        {"\xC0\xAF\xE2\x82", "\\xC0\\xAF\\xE2\\x82"},          // overlong '/', cut short
        {"\xED\xB3\xBF\xF8\x90\x80\x80",
         "\\xED\\xB3\\xBF\\xF8\\x90\\x80\\x80"}, // a surrogate; no lead
        {"\xD0\x9A\xFF\xF0\x9F\x98\x80", "\xD0\x9A\\xFF\xF0\x9F\x98\x80"},
    };
    for (const auto& [bytes, shown] : names) {
        EXPECT_EQ(NameBytes(FromUtf8(bytes)), bytes) << shown;
        EXPECT_EQ(ToUtf8(FromUtf8(bytes)), shown);
    }
    if constexpr (sizeof(wchar_t) == 2) {
        const wchar_t lone[] = {L'x', static_cast<wchar_t>(0xD800), 0};
        EXPECT_EQ(ToUtf8(lone), "x\xEF\xBF\xBD");
    }
}

TEST(ListTextTest, DisplayTextAndTheSavedList) {
    TempFolder folder;
    const std::vector<std::wstring> lines = {
        BuildListLine(3, {2010, 3, 15, 9, 30, 15}, {2010, 3, 15, 9, 41, 2}, 123456,
                      L"D:\\REC3\\A3F\\A3F93015.3"),
        BuildListLine(1, {2026, 12, 31, 23, 59, 58}, {2027, 1, 1, 0, 0, 4}, 7,
                      L"D:\\Записи; копия\\QCV\\x.1"),
    };
    EXPECT_EQ(DisplayText(lines), L"3  15.03.10 09:30:15  15.03.10 09:41:02  123456\r\n"
                                  L"1  31.12.26 23:59:58  01.01.27 00:00:04  7\r\n");

    const fs::path target = folder.Path() / PathFromWide(L"список.csv");
    WriteFile(target, Bytes{9});
    SaveListCsv(lines, target, {folder.Path() / L"archive"});
    EXPECT_EQ(ReadText(target), "\xEF\xBB\xBF"
                                "channel;start;end;duration_s;size_bytes;source\r\n"
                                "3;2010-03-15 09:30:15;2010-03-15 09:41:02;647;123456;"
                                "D:\\REC3\\A3F\\A3F93015.3\r\n"
                                "1;2026-12-31 23:59:58;2027-01-01 00:00:04;6;7;\"D:\\" +
                                    ToUtf8(L"Записи") + "; " + ToUtf8(L"копия") +
                                    "\\QCV\\x.1\"\r\n");
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::wstring>{WideFromPath(target.filename())});
}

} // namespace
} // namespace voice::exporting::test
