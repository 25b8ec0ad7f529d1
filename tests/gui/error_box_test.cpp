#include "gui/error_box.h"

#include <gtest/gtest.h>

namespace voice::gui {
namespace {

TEST(ErrorBoxTest, TitleIsTheExecutableNameCutAtItsFirstDot) {
    EXPECT_EQ(ApplicationTitleFromPath(L"C:\\Program Files\\VOICE.EXE"), L"Voice");
    EXPECT_EQ(ApplicationTitleFromPath(L"z:\\tmp\\voice.test.exe"), L"voice");
    EXPECT_EQ(ApplicationTitleFromPath(L"Voice"), L"Voice");
    EXPECT_EQ(ApplicationTitle(), L"gui_tests"); // the first character keeps its case
}

TEST(ErrorBoxTest, FullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(WithFullStop(L"File not found"), L"File not found.");
    EXPECT_EQ(WithFullStop(L"I/O error 21"), L"I/O error 21.");
    EXPECT_EQ(WithFullStop(L"Already."), L"Already.");
    EXPECT_EQ(WithFullStop(L"Why?"), L"Why?.");  // '?' sorts after '.'
    EXPECT_EQ(WithFullStop(L"Done!"), L"Done!"); // '!' sorts before '.'
    EXPECT_EQ(WithFullStop(L"Ошибка"), L"Ошибка.");
    EXPECT_EQ(WithFullStop(L""), L"");
}

} // namespace
} // namespace voice::gui
