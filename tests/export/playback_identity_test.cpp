// The window's playback file and the exported file of the same recording hold the same
// header and samples, for every stored form. Win32: the window's writer is.
#include <gtest/gtest.h>

#include "conversion/playback_file_writer.h"
#include "export/export_job.h"
#include "export_fixture.h"
#include "recording_encoder.h"

namespace voice::exporting::test {
namespace {

TEST(PlaybackIdentityTest, ExportedSamplesAreThoseThePlayerGets) {
    TempFolder archive, startDir, out;
    RecordingProgress progress;
    const RecordingKind kinds[] = {RecordingKind::Wav,         RecordingKind::HeaderlessPcm,
                                   RecordingKind::Inverted,    RecordingKind::InvertedRuns,
                                   RecordingKind::SwappedRuns, RecordingKind::PlainRuns};
    int minute = 0;
    for (RecordingKind kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        // Longer than one conversion block, so block ends fall inside runs.
        const Bytes recording = EncodeRecording(kind, SoundWithRuns(150001, minute));
        const DateTimeParts start{2026, 12, 7, 8, minute++, 0};
        const std::wstring line = AddRecording(archive.Path(), 2, start, recording);

        FileHandleField recordingHandle, playbackHandle;
        ASSERT_TRUE(
            WritePlaybackFile(line, startDir.Path().wstring(), recordingHandle, playbackHandle));
        const Bytes playback = ReadFile(startDir.Path() / L"$$$.Wav");

        ASSERT_EQ(
            ExportRecordings({line}, out.Path(), {archive.Path()}, {2026, 1, 1, 0, 0, 0}, progress)
                .done,
            1u);
        const Bytes exported = ReadFile(
            out.Path() / (L"K2_2026-12-07_08-0" + std::to_wstring(minute - 1) + L"-00.wav"));
        ASSERT_GT(exported.size(), playback.size());
        EXPECT_TRUE(std::equal(playback.begin(), playback.begin() + 4, exported.begin()));
        EXPECT_TRUE(std::equal(playback.begin() + 8, playback.end(), exported.begin() + 8));
        EXPECT_EQ(std::string(exported.begin() + static_cast<std::ptrdiff_t>(playback.size() +
                                                                             playback.size() % 2),
                              exported.begin() + static_cast<std::ptrdiff_t>(
                                                     playback.size() + playback.size() % 2 + 4)),
                  "LIST");
    }
}

} // namespace
} // namespace voice::exporting::test
