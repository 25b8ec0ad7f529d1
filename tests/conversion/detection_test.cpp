#include "conversion/recording_kind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "memory_conversion.h"
#include "recording_encoder.h"
#include "riff_files.h"

namespace voice {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WithTags(std::size_t size) {
    Bytes b(size, 0x55);
    const auto put = [&](std::size_t at, const char* tag) {
        if (at + 4 <= b.size())
            std::memcpy(&b[at], tag, 4);
    };
    put(0, "RIFF");
    put(8, "WAVE");
    put(12, "fmt ");
    put(36, "data");
    return b;
}

Bytes SignatureWith(RecordingKind base, std::uint8_t b12, std::uint8_t b13, std::size_t extra) {
    Bytes b(SignatureOf(base)->begin(), SignatureOf(base)->end());
    b[12] = b12;
    b[13] = b13;
    b.resize(b.size() + extra, 0x33);
    return b;
}

struct DetectionCase {
    const char* name;
    Bytes bytes;
    RecordingKind expected;
};

TEST(DetectRecordingKind, TellsTheStoredFormsApart) {
    Bytes lowerCaseRiff = WithTags(44);
    lowerCaseRiff[0] = 'r';
    // "data" elsewhere, but the format chunk's size (55 55 55 55) leads past the end.
    Bytes dataElsewhere = WithTags(60);
    std::memcpy(&dataElsewhere[36], "LIST", 4);
    std::memcpy(&dataElsewhere[50], "data", 4);
    const WavFormat wide{44100, 2, 16};
    const Bytes tinySamples(3, 0x80);

    const DetectionCase cases[] = {
        {"empty file", {}, RecordingKind::HeaderlessPcm},
        {"15 bytes of a signature",
         Bytes(SignatureOf(RecordingKind::Inverted)->begin(),
               SignatureOf(RecordingKind::Inverted)->end() - 1),
         RecordingKind::HeaderlessPcm},
        {"39 bytes with three tags", WithTags(39), RecordingKind::HeaderlessPcm},
        {"40 bytes with four tags", WithTags(40), RecordingKind::Wav},
        {"44-byte header", WithTags(44), RecordingKind::Wav},
        {"tags are case-sensitive", lowerCaseRiff, RecordingKind::HeaderlessPcm},
        {"chunk walk runs past the end", dataElsewhere, RecordingKind::HeaderlessPcm},
        {"16-bit stereo WAV", EncodeWav(tinySamples, wide), RecordingKind::Wav},
        {"signature 3 alone", EncodeRecording(RecordingKind::Inverted, {}),
         RecordingKind::Inverted},
        {"signature 4 with samples", EncodeRecording(RecordingKind::InvertedRuns, tinySamples),
         RecordingKind::InvertedRuns},
        {"signature 4 with C8 78", SignatureWith(RecordingKind::InvertedRuns, 0xC8, 0x78, 5),
         RecordingKind::SwappedRuns},
        {"signature 4 with CA 7A", SignatureWith(RecordingKind::InvertedRuns, 0xCA, 0x7A, 0),
         RecordingKind::PlainRuns},
        {"signature 4 with CA 78", SignatureWith(RecordingKind::InvertedRuns, 0xCA, 0x78, 0),
         RecordingKind::HeaderlessPcm},
        {"signature 7", EncodeRecording(RecordingKind::Undecodable, tinySamples),
         RecordingKind::Undecodable},
        {"plain samples", Bytes(100, 0x80), RecordingKind::HeaderlessPcm},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectRecordingKind(c.bytes), c.expected) << c.name;
}

using test::CountingBytes;

TEST(DetectRecordingKind, WavFilesFromOtherToolsAreCopiedNotPlayedAsSamples) {
    for (const test::WavShape& shape : test::WavShapes()) {
        const RecordingKind expected =
            shape.isWav ? RecordingKind::Wav : RecordingKind::HeaderlessPcm;
        EXPECT_EQ(DetectRecordingKind(shape.bytes), expected) << shape.name;
        // A few small reads, whatever the file holds.
        CountingBytes counting(shape.bytes);
        EXPECT_EQ(DetectRecordingKind(counting), expected) << shape.name;
        EXPECT_LE(counting.reads, kMaxChunksWalked + 2) << shape.name;
        EXPECT_LE(counting.largestRead, kDetectionSize) << shape.name;
    }
}

TEST(DetectRecordingKind, SignaturesAreTheRecordersBytes) {
    // The recorder's bytes, written out here so that a wrong table in the program shows.
    struct Case {
        RecordingKind kind;
        const char* hex;
    };
    const Case cases[] = {
        {RecordingKind::Inverted, "73 45 41 29 38 46 88 61 34 02 70 73 66 E0 23 25"},
        {RecordingKind::InvertedRuns, "61 54 35 26 11 17 33 48 45 42 89 A2 C0 70 6A 8D"},
        {RecordingKind::SwappedRuns, "61 54 35 26 11 17 33 48 45 42 89 A2 C8 78 6A 8D"},
        {RecordingKind::PlainRuns, "61 54 35 26 11 17 33 48 45 42 89 A2 CA 7A 6A 8D"},
        {RecordingKind::Undecodable, "E1 C8 A6 44 7E 8D E3 76 85 45 32 53 D2 2F 77 F0"},
    };
    for (const Case& c : cases) {
        const int kind = static_cast<int>(c.kind);
        Bytes signature;
        for (const char* at = c.hex; *at != '\0'; at += at[2] == ' ' ? 3 : 2)
            signature.push_back(
                static_cast<std::uint8_t>(std::stoul(std::string(at, 2), nullptr, 16)));
        ASSERT_EQ(signature.size(), kSignatureSize) << kind;
        Bytes file = signature;
        file.insert(file.end(), 30, 0x80);
        EXPECT_EQ(DetectRecordingKind(file), c.kind) << kind;
        EXPECT_EQ(DetectRecordingKind(signature), c.kind) << kind << ", signature alone";
        // Our encoder writes the same bytes in front of the samples.
        const Bytes encoded = EncodeRecording(c.kind, Bytes(5, 0x80));
        EXPECT_TRUE(std::equal(signature.begin(), signature.end(), encoded.begin())) << kind;
        // Every byte counts.
        for (std::size_t at = 0; at < signature.size(); ++at) {
            Bytes changed = file;
            changed[at] ^= 0x01;
            EXPECT_EQ(DetectRecordingKind(changed), RecordingKind::HeaderlessPcm)
                << kind << ", byte " << at;
        }
    }
}

} // namespace
} // namespace voice
