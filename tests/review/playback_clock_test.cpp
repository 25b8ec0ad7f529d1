// The clock answers in the recording's own seconds whichever file plays, made as the
// window makes it: the whole recording or a part, pauses cut or not, at every speed.

#include <gtest/gtest.h>

#include "review/playback_clock.h"
#include "review/review_pipeline.h"
#include "review_signals.h"

namespace voice::review {
namespace {

TEST(PlaybackClock, AnswersInTheRecordingsSecondsWhateverFilePlays) {
    std::vector<float> recording; // voice from 7 s to 9 s and 10.5 s to 12.5 s; 21 s in all
    for (int i = 0; i < 6; ++i) {
        test::Append(recording, test::Voiced(110 + 20 * i, 2.0, 0.1));
        test::Append(recording, std::vector<float>(test::kRate * 3 / 2, 0.0f));
    }
    const RecordingAnalysis analysis = AnalyseRecording(recording, test::kRate);
    const struct {
        bool cutPauses;
        double from, to; // the part the file holds
    } cases[] = {{false, 0, 21}, {true, 0, 21}, {false, 7, 12}, {true, 7, 12}};
    for (const double speed : OfferedSpeeds()) {
        for (const auto& c : cases) {
            const std::span<const float> part =
                std::span(recording).subspan(c.from * test::kRate, (c.to - c.from) * test::kRate);
            // Judged on the whole recording with an option on, the speed alone on the part.
            const ReviewOptions options{speed, c.cutPauses, false};
            ProcessedRecording file =
                c.cutPauses ? ProcessFrom(part, test::kRate, options, c.from, analysis)
                            : ProcessFrom(part, test::kRate, options, 0.0);
            const double end = static_cast<double>(file.samples.size()) / test::kRate;
            const PlaybackClock clock(std::move(file.timeline), c.cutPauses ? 0 : c.from, 21);
            const std::string what = std::to_string(c.from) + " " + std::to_string(speed);
            EXPECT_EQ(clock.RecordingLength(end), 21) << what;
            EXPECT_NEAR(clock.RecordingAt(0), c.from, 0.02) << what;
            EXPECT_NEAR(clock.RecordingAt(end), c.to, 0.3) << what;
            EXPECT_NEAR(clock.FileAt(11.5) - clock.FileAt(10.6), 0.9 / speed, 0.01) << what;
            EXPECT_NEAR(clock.RecordingAt(clock.FileAt(8.9)), 8.9, 0.01) << what;
        }
    }
}

} // namespace
} // namespace voice::review
