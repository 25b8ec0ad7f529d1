#include "platform/app_error.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

TEST(InOutErrorTest, WordsEverySystemCodeAsTheUserSeesIt) {
    const struct {
        unsigned long code;
        const wchar_t* text;
    } cases[] = {
        {2, L"File not found"},        {3, L"Invalid filename"},
        {4, L"Too many open files"},   {5, L"File access denied"},
        {100, L"Read beyond end of file"}, {101, L"Disk full"},
        {106, L"Invalid numeric input"}, {21, L"I/O error 21"},
        {0, L"I/O error 0"},
    };
    for (const auto& c : cases) {
        InOutError e(c.code);
        EXPECT_EQ(e.Text(), c.text) << c.code;
        EXPECT_EQ(e.Code(), c.code);
    }
}

TEST(AppErrorTest, NarrowTextKeepsAsciiAndMarksTheRest) {
    AppError e(L"Ошибка: x");
    EXPECT_STREQ(e.what(), "??????: x");
    EXPECT_STREQ(DateEncodeError().what(), "Invalid argument to date encode");
}

} // namespace
} // namespace voice
