#include "platform/csv_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace voice {
namespace {

TEST(CsvTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"plain", "plain"},
        {L"", ""},
        {L"Канал", "\xD0\x9A\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB"},
        {L"a;b", "\"a;b\""},
        {L"say \"hi\"", "\"say \"\"hi\"\"\""},
        {L"two\r\nlines", "\"two\r\nlines\""},
        {L" padded", "\" padded\""},
        {L"C:\\REC\\A3F93015.3", "C:\\REC\\A3F93015.3"},
    };
    for (const auto& [field, expected] : cases)
        EXPECT_EQ(CsvField(field), expected);
    EXPECT_EQ(CsvRow({L"1", L"a;b", L""}), "1;\"a;b\";\r\n");
}

} // namespace
} // namespace voice
