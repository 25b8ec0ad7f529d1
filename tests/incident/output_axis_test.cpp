// The incident's time against what is heard with the listening aids: only pauses that every
// voice sounding shares are cut, and the clock maps each incident frame to the output and
// back through those cuts and the speed, so the bar and the playhead read the incident's
// own time.

#include <gtest/gtest.h>

#include "incident/output_axis.h"

namespace voice::incident {
namespace {

struct SharedCase {
    const char* name;
    std::vector<PausedRecording> recordings;
    FrameSpan within;
    std::int64_t least;
    std::vector<FrameSpan> expected;
};

TEST(SharedCuts, OnlyWhereEveryVoiceSoundingPauses) {
    const SharedCase cases[] = {
        {"one voice pausing", {{{0, 1000}, {{200, 500}}}}, {0, 1000}, 100, {{200, 500}}},
        {"too short", {{{0, 1000}, {{200, 500}}}}, {0, 1000}, 301, {}},
        {"another speaks through the pause",
         {{{0, 1000}, {{200, 500}}}, {{300, 800}, {}}}, {0, 1000}, 100, {{200, 300}}},
        {"and what is left is too short",
         {{{0, 1000}, {{200, 500}}}, {{300, 800}, {}}}, {0, 1000}, 150, {}},
        {"both pausing at once",
         {{{0, 1000}, {{200, 600}}}, {{100, 900}, {{400, 800}}}}, {0, 1000}, 100, {{400, 600}}},
        // Between recordings nothing sounds: that silence is the gap rule's, not a pause.
        {"apart across a silence",
         {{{0, 300}, {{100, 300}}}, {{500, 900}, {{500, 700}}}}, {0, 1000}, 100,
         {{100, 300}, {500, 700}}},
        // One voice's pause runs into the next one's: one cut, long enough together.
        {"pauses meeting", {{{0, 500}, {{300, 500}}}, {{500, 1000}, {{500, 650}}}}, {0, 1000}, 200,
         {{300, 650}}},
        {"only within", {{{0, 1000}, {{200, 800}}}}, {400, 600}, 100, {{400, 600}}},
    };
    for (const SharedCase& c : cases)
        EXPECT_EQ(SharedCuts(c.recordings, c.within, c.least), c.expected) << c.name;
}

// Playback from frame 1000 at double speed. Cuts come in two batches, one within another,
// one reaching back before the start and one wholly before it: what is heard is
// [1000, 1200), [1500, 1800) and [3000, 3100) taken out, the rest at half its length.
class TwiceAsFastFrom1000 : public testing::Test {
protected:
    TwiceAsFastFrom1000() {
        const FrameSpan first[] = {{1500, 1800}, {200, 400}, {500, 1200}, {1550, 1650}};
        const FrameSpan later[] = {{3000, 3100}};
        axis_.AddCuts(first);
        axis_.AddCuts(later);
    }
    OutputAxis axis_{1000, 2.0};
};

TEST_F(TwiceAsFastFrom1000, EachFrameOutAndBackThroughTheCuts) {
    const struct {
        std::int64_t frame;
        double out;
        std::int64_t heard; // what the output frame maps back to: in a cut, its start
    } cases[] = {
        {1000, 0, 1000},   {1100, 0, 1000},    {1400, 100, 1400}, {1650, 150, 1500},
        {2000, 250, 2000}, {3050, 750, 3000}, {3100, 750, 3000}, {4000, 1200, 4000},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(axis_.Out(c.frame), c.out) << c.frame;
        EXPECT_DOUBLE_EQ(axis_.In(c.out), static_cast<double>(c.heard)) << c.frame;
    }
    EXPECT_EQ(axis_.CutsWithin({1100, 1600}), (std::vector<FrameSpan>{{1100, 1200}, {1500, 1600}}));
}

// A part holding output frames 100 to 300 (at 100 frames a second): incident 14 s to 21 s,
// the cut at 15 s to 18 s heard as one moment half a second into the part.
TEST_F(TwiceAsFastFrom1000, APartsClockHasItsCutsAsFlatPieces) {
    const auto corners = axis_.Corners(100, 300, 100);
    const std::vector<std::pair<double, double>> expected = {
        {14.0, 0.0}, {15.0, 0.5}, {18.0, 0.5}, {21.0, 2.0}};
    ASSERT_EQ(corners.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(corners[i].source, expected[i].first) << i;
        EXPECT_DOUBLE_EQ(corners[i].output, expected[i].second) << i;
    }
}

} // namespace
} // namespace voice::incident
