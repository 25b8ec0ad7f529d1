#include "platform/user_settings.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

// A file edited by hand or cut short reads as defaults where it is damaged, never fails.
TEST(UserSettingsTest, DamagedValuesReadAsTheDefault) {
    const auto s = UserSettings::Parse("\xEF\xBB\xBFzoom = 12\r\nspeed=1.5\nbad line\n=x\n"
                                       "big=99999999999\nhalf=1.5x\nflag=1\nother=yes\n"
                                       "# note=1\nzoom=14");
    EXPECT_EQ(s.GetInt("zoom", 0, 0, 100), 14); // the later line wins
    EXPECT_EQ(s.GetInt("big", 7, 0, 100), 7);
    EXPECT_EQ(s.GetInt("missing", 3, 0, 100), 3);
    EXPECT_EQ(s.GetInt("zoom", 5, 0, 10), 5); // out of range
    EXPECT_DOUBLE_EQ(s.GetDouble("speed", 1, 0.5, 3), 1.5);
    EXPECT_DOUBLE_EQ(s.GetDouble("half", 1, 0.5, 3), 1);
    EXPECT_TRUE(s.GetBool("flag", false));
    EXPECT_FALSE(s.GetBool("other", false));
    EXPECT_FALSE(s.Get("# note").has_value());
    EXPECT_FALSE(s.Get("").has_value());
}

TEST(UserSettingsTest, WhatIsSetReadsBackAndCannotSplitALine) {
    UserSettings s;
    s.SetInt("window.left", -1200);
    s.SetDouble("speed", 1.75);
    s.SetBool("shortenPauses", true);
    s.Set("file", "C:\\a\r\nzoom=99");
    s.Set("bad=key", "1");
    const auto back = UserSettings::Parse(s.Serialize());
    EXPECT_EQ(back, s);
    EXPECT_EQ(back.GetInt("window.left", 0, -100000, 100000), -1200);
    EXPECT_DOUBLE_EQ(back.GetDouble("speed", 1, 0.5, 3), 1.75);
    EXPECT_EQ(back.Get("file"), "C:\\azoom=99");
    EXPECT_FALSE(back.Get("zoom").has_value());
    EXPECT_FALSE(back.Get("bad").has_value());
}

} // namespace
} // namespace voice
