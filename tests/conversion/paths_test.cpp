#include "conversion/playback_paths.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

TEST(RecordingPathOfListLine, TextFromColumn81) {
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
        EXPECT_EQ(RecordingPathOfListLine(c.line), c.path) << c.name;
}

TEST(PlaybackFilePath, JoinedAsTheyStand) {
    EXPECT_EQ(PlaybackFilePath(L"C:\\Voice"), L"C:\\Voice\\$$$.Wav");
    EXPECT_EQ(PlaybackFilePath(L"C:\\"), L"C:\\\\$$$.Wav");
}

} // namespace
} // namespace voice
