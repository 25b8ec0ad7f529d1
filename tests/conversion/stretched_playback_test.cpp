// The playback file stretched while the recording is converted: the same samples the
// stretch makes of the designed file, the designed file kept whole beside it, and every
// form it does not stretch left for the usual way.

#include "conversion/stretched_playback.h"

#include "conversion/wav/wav_header.h"
#include "memory_conversion.h"
#include "recording_encoder.h"
#include "review/review_pipeline.h"
#include "review/time_stretch.h"

#include <gtest/gtest.h>

namespace voice {
namespace {

using test::MemoryReader;
using test::MemoryWriter;

struct Written {
    Bytes file;
    StretchedConversion result;
};

Written Stretch(const Bytes& recording, double speed, std::size_t keptAtMost = 1 << 24) {
    MemoryReader reader(recording);
    MemoryWriter writer;
    StretchedConversion result = ConvertStretched(reader, writer, speed, keptAtMost);
    return {writer.bytes, std::move(result)};
}

Bytes Converted(const Bytes& recording) {
    MemoryReader reader(recording);
    MemoryWriter writer;
    ConvertRecording(reader, writer);
    return writer.bytes;
}

TEST(StretchedPlaybackTest, TheFileIsTheStretchOfTheDesignedFileWhichIsKeptWhole) {
    const Bytes sound = SoundWithRuns(3 * kPlaybackSampleRate + 17, 5);
    for (const RecordingKind kind :
         {RecordingKind::HeaderlessPcm, RecordingKind::SwappedRuns, RecordingKind::Wav}) {
        for (const double speed : {0.5, 1.5, 3.0}) {
            const Bytes recording = EncodeRecording(kind, sound);
            const Written written = Stretch(recording, speed);
            const Bytes designed = Converted(recording);
            ASSERT_TRUE(written.result.stretched) << static_cast<int>(kind) << " at " << speed;
            EXPECT_EQ(written.result.samples, designed.size() - kWavHeaderSize);
            // Only a decoded recording's designed file is kept: the others hold it.
            if (kind == RecordingKind::SwappedRuns)
                EXPECT_EQ(written.result.designed, designed);
            else
                EXPECT_FALSE(written.result.designed);

            const Bytes samples(designed.begin() + kWavHeaderSize, designed.end());
            const auto expected = review::ToU8(
                review::TimeStretch(review::SamplesFromU8(samples), kPlaybackSampleRate, speed));
            const auto size = static_cast<std::uint32_t>(expected.size());
            const WavHeader header = MakePlaybackWavHeader(size + 36, size);
            ASSERT_EQ(written.file.size(), kWavHeaderSize + expected.size());
            EXPECT_TRUE(std::equal(header.begin(), header.end(), written.file.begin()));
            EXPECT_TRUE(
                std::equal(expected.begin(), expected.end(), written.file.begin() + kWavHeaderSize))
                << static_cast<int>(kind) << " at " << speed;
        }
    }
}

TEST(StretchedPlaybackTest, WhatItCannotStretchOrKeepIsLeftForTheUsualWay) {
    const Bytes sound = SoundWithRuns(2 * kPlaybackSampleRate, 9);
    // Another layout, and a form the player plays nothing of: the file as at 1x.
    for (const Bytes& recording : {EncodeRecording(RecordingKind::Wav, sound, {16000, 2, 16}),
                                   EncodeRecording(RecordingKind::Undecodable, sound)}) {
        const Written written = Stretch(recording, 2.0);
        EXPECT_TRUE(written.result.passedThrough);
        EXPECT_FALSE(written.result.stretched);
        EXPECT_EQ(written.file, Converted(recording));
    }
    // A decoded file longer than may be kept: stretched, but without its source.
    const Bytes runs = EncodeRecording(RecordingKind::PlainRuns, sound);
    const Written long_ = Stretch(runs, 2.0, 1000);
    EXPECT_TRUE(long_.result.stretched);
    EXPECT_FALSE(long_.result.designed);
    // Data that are not the whole file (a chunk after the samples): the stretch is not of
    // what the player plays. Either way the caller converts it again.
    Bytes trailing = EncodeRecording(RecordingKind::Wav, sound);
    trailing.insert(trailing.end(), {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'});
    const Written chunk = Stretch(trailing, 2.0);
    EXPECT_FALSE(chunk.result.passedThrough);
    EXPECT_FALSE(chunk.result.stretched);
    const auto stretchedSize = [](const Bytes& recording) {
        return kWavHeaderSize +
               review::StretchedLength(Converted(recording).size() - kWavHeaderSize, 2.0);
    };
    EXPECT_EQ(long_.file.size(), stretchedSize(runs));
    EXPECT_EQ(chunk.file.size(), stretchedSize(trailing));
}

} // namespace
} // namespace voice
