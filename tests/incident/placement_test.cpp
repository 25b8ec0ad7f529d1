// Where recordings sound in the incident file: true starts, overlaps kept, long silences
// shortened to the gap, a span cutting what lies outside.

#include <gtest/gtest.h>

#include <vector>

#include "incident/placement.h"

namespace voice::incident {
namespace {

struct PlacementCase {
    const char* name;
    std::vector<Recording> recordings;
    std::int64_t maxGap;
    std::optional<TimeSpan> span;
    std::vector<Placement> expected;
    std::int64_t frames;
};

class Placements : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placements, EachRecordingLandsWhereItWasHeard) {
    const PlacementCase& c = GetParam();
    const IncidentTimeline t = PlaceRecordings(c.recordings, c.maxGap, c.span);
    ASSERT_EQ(t.placements.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(t.placements[i].at, c.expected[i].at) << c.name << " #" << i;
        EXPECT_EQ(t.placements[i].skip, c.expected[i].skip) << c.name << " #" << i;
        EXPECT_EQ(t.placements[i].frames, c.expected[i].frames) << c.name << " #" << i;
    }
    EXPECT_EQ(t.frames, c.frames) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placements,
    testing::Values(
        // A long call with a short one inside it: both keep their real distance.
        PlacementCase{"overlap", {{100, 50}, {120, 10}}, 5, {}, {{0, 0, 50}, {20, 0, 10}}, 50},
        // Given out of order: the order of the list does not move anyone.
        PlacementCase{"unsorted", {{300, 10}, {100, 10}}, 0, {}, {{200, 0, 10}, {0, 0, 10}}, 210},
        // 90 frames of silence shortened to 5; one of exactly 5 kept.
        PlacementCase{"gap",
                      {{0, 10}, {100, 10}, {115, 10}},
                      5,
                      {},
                      {{0, 0, 10}, {15, 0, 10}, {30, 0, 10}},
                      40},
        // The silence counts from the farthest end so far, not the last start.
        PlacementCase{"gap after overlap",
                      {{0, 100}, {10, 5}, {200, 10}},
                      5,
                      {},
                      {{0, 0, 100}, {10, 0, 5}, {105, 0, 10}},
                      115},
        // A span cuts recordings at both edges, drops what lies outside, and its silent
        // ends obey the gap rule.
        PlacementCase{"span",
                      {{0, 100}, {150, 100}, {400, 10}},
                      20,
                      TimeSpan{50, 220},
                      {{0, 50, 50}, {70, 0, 70}, {0, 0, 0}},
                      140},
        PlacementCase{"span real time", {{100, 10}}, 0, TimeSpan{50, 200}, {{50, 0, 10}}, 150}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

} // namespace
} // namespace voice::incident
