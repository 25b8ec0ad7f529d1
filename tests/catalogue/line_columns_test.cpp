#include "catalogue/line_columns.h"

#include "catalogue/list_line.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

TEST(LineColumnsTest, CenturiesComeFromTheNameAndTheFileTimeForm) {
    struct Case {
        const wchar_t* path;
        DateTimeParts start;
        int expectedStartYear;
        DateTimeParts end;
        int expectedEndYear;
    } cases[] = {
        {L"C:\\R\\QC7A0000.1", {2026, 12, 7, 10, 0, 0}, 2026, {2026, 12, 7, 10, 5, 0}, 2026},
        // The recorder's names decode to 1999 and to 1900 too.
        {L"C:\\R\\\u0416\u04163A0000.1",
         {1999, 1, 3, 10, 0, 0},
         1999,
         {1985, 1, 3, 10, 0, 0},
         1985},
        {L"C:\\R\\bad.1", {1900, 1, 1, 0, 0, 0}, 1900, {2079, 1, 1, 0, 0, 0}, 2079},
        // A line whose name says nothing of its start: the nearest century.
        {L"C:\\R\\bad.1", {2003, 1, 1, 0, 0, 0}, 2003, {1980, 1, 1, 0, 0, 0}, 1980},
    };
    for (const Case& c : cases) {
        const std::wstring line = BuildListLine(4, c.start, c.end, 123456, c.path);
        const LineColumns columns = ReadLineColumns(line);
        EXPECT_EQ(columns.channel, 4);
        EXPECT_EQ(columns.start.year, c.expectedStartYear) << c.path;
        EXPECT_EQ(columns.start.hour, c.start.hour);
        EXPECT_EQ(columns.end.year, c.expectedEndYear) << c.path;
        EXPECT_EQ(columns.end.minute, c.end.minute);
        EXPECT_EQ(columns.size, 123456u);
        EXPECT_EQ(columns.source, c.path);
        EXPECT_EQ(columns.display, line.substr(0, line.find_last_not_of(L' ', 79) + 1));
    }
}

} // namespace
} // namespace voice
