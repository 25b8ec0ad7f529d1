#include "conversion/playback_paths.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

TEST(PlaybackFilePath, JoinedAsTheyStand) {
    EXPECT_EQ(PlaybackFilePath(L"C:\\Voice"), L"C:\\Voice\\$$$.Wav");
    EXPECT_EQ(PlaybackFilePath(L"C:\\"), L"C:\\\\$$$.Wav");
}

} // namespace
} // namespace voice
