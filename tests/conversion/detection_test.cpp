#include "conversion/recording_kind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "recording_encoder.h"

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
        {"data tag not at 36", dataElsewhere, RecordingKind::HeaderlessPcm},
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

} // namespace
} // namespace voice
