// Geometry of the button bar, portable.

#include "playback/bar_layout.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

constexpr TButtonSet kNoRecord{btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btEject};

TEST(BarLayout, FitsWidthToButtonsAndMinimum) {
    const struct {
        BarSize given;
        TButtonSet visible;
        BarSize fitted;
        int buttonWidth;
    } cases[] = {
        {{225, 30}, kNoRecord, {225, 30}, 29},
        {{240, 30}, TButtonSet::All(), {253, 30}, 27}, // below the minimum: widened
        {{253, 30}, TButtonSet::All(), {253, 30}, 29},
        {{300, 10}, kNoRecord, {297, 20}, 38}, // width rounded to whole buttons
        {{50, 30}, {}, {50, 30}, 50},          // none visible counts as one
        {{10, 30}, {btStop}, {29, 30}, 10},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ButtonWidthFor(c.given.width, c.visible), c.buttonWidth) << c.given.width;
        EXPECT_EQ(FittedBarSize(c.given, c.visible, {29, 20}), c.fitted) << c.given.width;
    }
}

TEST(BarLayout, ButtonsStartOneBorderPixelApart) {
    const int expected[] = {0, 28, 56, 84, 112, 140, 168, 196, 196};
    for (int i = 0; i < kButtonCount; ++i)
        EXPECT_EQ(ButtonLeft(static_cast<TMPBtnType>(i), kNoRecord, 29), expected[i]) << i;
}

TEST(BarLayout, FocusWalkStopsAtTheEndsEvenWhenTheyAreHidden) {
    const TButtonSet middle{btStop, btNext};
    EXPECT_EQ(FocusLeftOf(btStop, middle), btPlay);
    EXPECT_EQ(FocusRightOf(btNext, middle), btEject);
    EXPECT_EQ(FocusRightOf(btPlay, middle), btStop);
    EXPECT_EQ(FocusLeftOf(btPlay, middle), btPlay);
    EXPECT_EQ(FocusRightOf(btEject, middle), btEject);
    EXPECT_EQ(FocusLeftOf(btEject, kNoRecord), btBack);
}

} // namespace
} // namespace voice
