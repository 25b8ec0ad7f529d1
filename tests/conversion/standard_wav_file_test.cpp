// WAV files as other tools write them, through the file detection and the playback-file
// writer: both give the in-memory answer, and a WAV file is played as it stands.
#include "conversion/playback_file_writer.h"
#include "conversion/recording_file.h"

#include <gtest/gtest.h>

#include "conversion/wav/wav_header.h"
#include "riff_files.h"
#include "test_files.h"

namespace voice {
namespace {

using test::Bytes;

TEST(StandardWavFiles, FileDetectionAndPlaybackFileAgreeWithTheBytes) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"A3F93015.1");
    for (const test::WavShape& shape : test::WavShapes()) {
        test::WriteFileBytes(path, shape.bytes);
        const RecordingKind expected =
            shape.isWav ? RecordingKind::Wav : RecordingKind::HeaderlessPcm;
        ASSERT_EQ(DetectRecordingKind(shape.bytes), expected) << shape.name;
        {
            FileHandleField file;
            file.StoreOpenResult(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(file.IsOpen()) << shape.name;
            EXPECT_EQ(DetectRecordingKind(file.Get()), expected) << shape.name;
        }

        FileHandleField recordingHandle, playbackHandle;
        ASSERT_TRUE(WritePlaybackFile(test::ListLineFor(path), dir.Path().wstring(),
                                      recordingHandle, playbackHandle))
            << shape.name;
        Bytes expectedPlayback;
        if (!shape.isWav) {
            const WavHeader header = WavHeaderForSource(shape.bytes.size());
            expectedPlayback.assign(header.begin(), header.end());
        }
        expectedPlayback.insert(expectedPlayback.end(), shape.bytes.begin(), shape.bytes.end());
        EXPECT_EQ(test::ReadFileBytes(PlaybackFilePath(dir.Path().wstring())), expectedPlayback)
            << shape.name;
    }
}

} // namespace
} // namespace voice
