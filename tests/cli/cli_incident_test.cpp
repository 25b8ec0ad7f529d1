// voice-export --incident as the user sets it: how long the file is and where each
// recording begins in it, by the default gap, --gap and --span.
#include <gtest/gtest.h>

#include "cli_archive_fixture.h"
#include "recording_encoder.h"

namespace voice::cli::test {
namespace {

using exporting::test::ParseRiff;
using exporting::test::ReadFile;
namespace fs = std::filesystem;

constexpr int kRate = 7860;

std::uint32_t Le32(const exporting::test::Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

struct IncidentCase {
    const char* name;
    std::vector<std::string> options;
    double seconds;             // the file's length
    std::vector<double> starts; // where each recording in it begins
};

using CliIncidentTest = CliArchiveTest;

// Two 3 s calls on 6 December, at 10:00:00 on channel 1 and 10:00:10 on channel 2: 7 s of
// silence between them. Silences over the gap (2 s unless given) are shortened to it; a
// span keeps exactly its own time, the calls cut at its edges and its silent ends
// shortened like any silence.
TEST_F(CliIncidentTest, TheGapAndTheSpanGiveTheFilesLength) {
    Add(1, {2026, 12, 6, 10, 0, 0},
        EncodeRecording(RecordingKind::HeaderlessPcm, SoundWithRuns(3 * kRate, 1)));
    Add(2, {2026, 12, 6, 10, 0, 10},
        EncodeRecording(RecordingKind::HeaderlessPcm, SoundWithRuns(3 * kRate, 2)));
    const std::string from = "2026-12-06 10:00:01", to = "2026-12-06 10:00:12";
    const IncidentCase cases[] = {
        {"default gap", {}, 3 + 2 + 3, {0, 5}},
        {"real time", {"--gap", "0"}, 13, {0, 10}},
        {"a gap of 4.5 s", {"--gap", "4.5"}, 3 + 4.5 + 3, {0, 7.5}},
        {"a gap longer than the silence", {"--gap", "30"}, 13, {0, 10}},
        {"span, real time", {"--gap", "0", "--span", from, to}, 11, {0, 9}},
        {"span, default gap", {"--span", from, to}, 2 + 2 + 2, {0, 4}},
        {"span from a silence", {"--span", "2026-12-06 09:59:58", to}, 2 + 3 + 2 + 2, {2, 7}},
        {"span past the end, real time",
         {"--gap", "0", "--span", "2026-12-06 10:00:11", "2026-12-06 10:00:20"},
         9,
         {0}},
        {"span past the end, default gap",
         {"--span", "2026-12-06 10:00:11", "2026-12-06 10:00:20"},
         2 + 2,
         {0}},
    };
    for (const IncidentCase& c : cases) {
        const fs::path file = out_.Path() / (std::string(c.name) + ".wav");
        std::vector<std::string> extra = {"--incident", Native(file), "--layout", "mono"};
        extra.insert(extra.end(), c.options.begin(), c.options.end());
        const CliRun run = RunVoiceExport(Args(extra, "1,2", "2026-12-06", "2026-12-06"));
        ASSERT_EQ(run.exitCode, 0) << c.name << Dump(run);
        const auto riff = ParseRiff(ReadFile(file));
        ASSERT_TRUE(riff && riff->Find("data") && riff->Find("cue ")) << c.name;
        EXPECT_EQ(riff->Find("data")->data.size(), static_cast<std::size_t>(c.seconds * kRate) * 2)
            << c.name;
        const auto& cue = riff->Find("cue ")->data;
        ASSERT_EQ(Le32(cue, 0), c.starts.size()) << c.name;
        for (std::size_t i = 0; i < c.starts.size(); ++i)
            EXPECT_EQ(Le32(cue, 4 + 24 * i + 20), static_cast<std::uint32_t>(c.starts[i] * kRate))
                << c.name << ", recording " << i;
    }
}

} // namespace
} // namespace voice::cli::test
