// The clock answers in the recording's own seconds whichever file plays: the designed one,
// the whole recording processed, or a part of it from a moment on, at every speed, with
// pauses cut or not; the files made as the window makes them.

#include <gtest/gtest.h>

#include "review/playback_clock.h"
#include "review/review_pipeline.h"
#include "review_signals.h"

namespace voice::review {
namespace {

using test::kRate;

// 21 s: 2 s of voice, 1.5 s of silence, six times. Voice from 7 s to 9 s and 10.5 s to 12.5 s.
std::vector<float> Recording() {
    std::vector<float> samples;
    for (int i = 0; i < 6; ++i) {
        test::Append(samples, test::Voiced(110 + 20 * i, 2.0, 0.1));
        test::Append(samples, std::vector<float>(kRate * 3 / 2, 0.0f));
    }
    return samples;
}

TEST(PlaybackClock, AnswersInTheRecordingsSecondsWhateverFilePlays) {
    const std::vector<float> recording = Recording();
    const double seconds = static_cast<double>(recording.size()) / kRate;
    const RecordingAnalysis analysis = AnalyseRecording(recording, kRate);
    const struct {
        const char* what;
        bool cutPauses;
        double from, to; // the part the file holds; to 0: to the end
    } cases[] = {
        {"whole", false, 0, 0},
        {"whole, pauses cut", true, 0, 0},
        {"part", false, 7, 12},
        {"part, pauses cut", true, 7, 12},
    };
    for (const double speed : OfferedSpeeds()) {
        for (const auto& c : cases) {
            const ReviewOptions options{speed, c.cutPauses, false};
            const std::size_t first = static_cast<std::size_t>(c.from * kRate);
            const std::size_t last =
                c.to > 0 ? static_cast<std::size_t>(c.to * kRate) : recording.size();
            const std::span<const float> part(recording.data() + first, last - first);
            // As the window does: judged on the whole recording with an option on, the
            // timeline then counting from the recording's start; the speed alone, from the
            // part's.
            ProcessedRecording file = c.cutPauses
                                          ? ProcessFrom(part, kRate, options, c.from, analysis)
                                          : ProcessFrom(part, kRate, options, 0.0);
            const double fileSeconds = static_cast<double>(file.samples.size()) / kRate;
            const PlaybackClock clock(std::move(file.timeline), c.cutPauses ? 0.0 : c.from,
                                      seconds);
            const std::string what = std::string(c.what) + " at " + std::to_string(speed);
            EXPECT_DOUBLE_EQ(clock.RecordingLength(fileSeconds), seconds) << what;
            EXPECT_NEAR(clock.RecordingAt(0), c.from, 0.02) << what;
            EXPECT_NEAR(clock.RecordingAt(fileSeconds), c.to > 0 ? c.to : seconds, 0.3) << what;
            // Within the voice every second of the recording lasts 1 / speed in the file.
            EXPECT_NEAR(clock.FileAt(11.5) - clock.FileAt(10.6), 0.9 / speed, 0.01) << what;
            for (const double moment : {7.5, 8.9, 10.6, 11.5})
                EXPECT_NEAR(clock.RecordingAt(clock.FileAt(moment)), moment, 0.01) << what;
        }
    }
    // The designed file is the recording.
    const PlaybackClock designed;
    EXPECT_EQ(designed.RecordingAt(12.345), 12.345);
    EXPECT_EQ(designed.FileAt(12.345), 12.345);
    EXPECT_EQ(designed.RecordingLength(21), 21);
}

} // namespace
} // namespace voice::review
