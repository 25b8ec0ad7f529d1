// The reviewer's choices as the window names and remembers them: speed texts, the
// caption, the slower and faster steps, and the settings file read back, hand-edited
// values included.

#include "voice/review_choices.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

using review::ReviewOptions;

TEST(ReviewChoicesTest, SpeedsAreShownWithTheRussianDecimalComma) {
    const struct {
        double speed;
        const wchar_t* text;
    } cases[] = {{0.5, L"0,5×"},   {0.75, L"0,75×"}, {1, L"1×"},
                 {1.25, L"1,25×"}, {1.5, L"1,5×"},   {1.75, L"1,75×"},
                 {2, L"2×"},       {2.5, L"2,5×"},   {3, L"3×"}};
    for (const auto& c : cases)
        EXPECT_EQ(SpeedText(c.speed), c.text) << c.speed;
}

TEST(ReviewChoicesTest, TheCaptionNamesOnlyWhatDiffersFromTheDefault) {
    const std::wstring base = L"Воспроизведение записей";
    const struct {
        ReviewOptions options;
        std::wstring caption;
    } cases[] = {
        {{}, base},
        {{1.5, false, false}, base + L" — 1,5×"},
        {{0.75, false, false}, base + L" — 0,75×"},
        {{1, true, false}, base + L" — паузы сокращены"},
        {{1, false, true}, base + L" — громкость выровнена"},
        {{2, true, true}, base + L" — 2×, паузы сокращены, громкость выровнена"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReviewCaption(base, c.options), c.caption);
}

TEST(ReviewChoicesTest, SlowerAndFasterWalkTheOfferedSpeedsAndStopAtTheEnds) {
    const struct {
        double from;
        int direction;
        double to;
    } cases[] = {{1, 1, 1.25}, {1, -1, 0.75},  {1.75, 1, 2},    {2, 1, 2.5},   {2.5, 1, 3},
                 {3, 1, 3},    {0.5, -1, 0.5}, {0.75, -1, 0.5}, {1.1, 1, 1.25}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(StepSpeed(c.from, c.direction), c.to) << c.from << " " << c.direction;
}

TEST(ReviewChoicesTest, EveryChoiceReadsBackFromTheSettingsFile) {
    for (const double speed : review::OfferedSpeeds())
        for (const bool pauses : {false, true})
            for (const bool loudness : {false, true}) {
                const ReviewOptions options{speed, pauses, loudness};
                UserSettings settings;
                StoreReviewOptions(settings, options);
                const ReviewOptions back =
                    LoadReviewOptions(UserSettings::Parse(settings.Serialize()));
                EXPECT_TRUE(back == options) << speed << pauses << loudness;
                EXPECT_EQ(back.IsDefault(), speed == 1 && !pauses && !loudness);
            }
}

TEST(ReviewChoicesTest, AHandEditedFileReadsAsTheDefaultWhereItIsDamaged) {
    const struct {
        const char* text;
        ReviewOptions expected;
    } cases[] = {
        {"", {}},
        {"playback.speed=1.3\nplayback.shortenPauses=1", {1, true, false}},
        {"playback.speed=fast\nplayback.evenLoudness=1", {1, false, true}},
        {"playback.speed=7\nplayback.shortenPauses=yes", {}},
        {"playback.speed=-2", {}},
        {"playback.speed=2.50\nplayback.evenLoudness=0", {2.5, false, false}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(LoadReviewOptions(UserSettings::Parse(c.text)) == c.expected) << c.text;
}

} // namespace
} // namespace voice
