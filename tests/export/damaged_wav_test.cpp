// WAV recordings as recorders and other tools leave them damaged: exported and merged
// as far as they hold samples, every size matching what is there, the repair noted.

#include <gtest/gtest.h>

#include "platform/safe_file.h"
#include "export/export_job.h"
#include "platform/utf8.h"
#include "export_fixture.h"
#include "recording_encoder.h"
#include "riff_files.h"

namespace voice::exporting::test {
namespace {

using voice::test::InfoList;
using voice::test::PcmFormat;
using voice::test::WaveFile;

constexpr LocalMoment kNow{2026, 12, 7, 14, 5, 9};
constexpr DateTimeParts kStart{2026, 12, 7, 10, 0, 0};

Bytes Cut(Bytes bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}
Bytes Joined(Bytes bytes, const std::string& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}
Bytes NeverFinalised(Bytes bytes) {
    for (std::size_t at : {4u, 40u})
        for (std::size_t i = 0; i < 4; ++i)
            bytes[at + i] = 0xFF;
    return bytes;
}

const Bytes kSamples = SoundWithRuns(7861, 3); // odd: the pad byte matters
const Bytes kPlain = WaveFile({PcmFormat(1, 7860, 8), {"data", kSamples}});
const Bytes kWithList =
    WaveFile({PcmFormat(1, 7860, 8), {"data", kSamples}, InfoList({{"ISFT", "editor"}})});

struct DamageCase {
    const char* name;
    Bytes recording;
    std::size_t samplesKept; // of kSamples
    std::size_t chunksKept;  // the recording's chunks after "fmt " and "data"
    const char* note;        // the index's status after "ok"
    const char* duration;
};

Bytes FormatSizeLies() {
    voice::test::RiffChunk format = PcmFormat(1, 7860, 8);
    format.declaredSize = 0xFFFFFFFF;
    return WaveFile({format, {"data", kSamples}});
}

const DamageCase kDamage[] = {
    {"intact, LIST after data", kWithList, 7861, 1, "", "1.000"},
    {"cut short", Cut(kPlain, 44 + 3000), 3000, 0,
     ", исправлено: запись обрезана, данных 3000 байт из 7861", "0.382"},
    {"cut short by one byte", Cut(kPlain, 44 + 7860), 7860, 0,
     ", исправлено: запись обрезана, данных 7860 байт из 7861", "1.000"},
    {"sizes never finalised", NeverFinalised(kPlain), 7861, 0,
     ", исправлено: размер данных не был записан, взято 7862 байт", "1.000"},
    {"bytes after the RIFF", Joined(kPlain, "trailing text, no chunk"), 7861, 0,
     ", исправлено: отброшено 23 байт в конце файла", "1.000"},
    {"bytes after the RIFF and its LIST", Joined(kWithList, "LIST\x10"), 7861, 1,
     ", исправлено: отброшено 5 байт в конце файла", "1.000"},
    {"data at 36 whatever the format chunk says", FormatSizeLies(), 7861, 0,
     ", исправлено: размер блока fmt исправлен", "1.000"},
    {"40 bytes, data header cut", Cut(WaveFile({PcmFormat(1, 7860, 8), {"data", {}}}), 40), 0, 0,
     ", исправлено: заголовок блока data дописан", "0.000"},
    {"a LIST after data cut off", Cut(kWithList, kWithList.size() - 3), 7861, 0,
     ", исправлено: отброшено 25 байт в конце файла", "1.000"},
};

class DamagedWavTest : public testing::TestWithParam<DamageCase> {
protected:
    fs::path Base() const { return archive_.Path() / L"kanal2"; }
    TempFolder archive_, out_;
    RecordingProgress progress_;
};

// The exported file is a whole RIFF file: its data chunk holds the samples there are
// (a never-finalised size takes every byte to the end, the pad byte too), the whole
// chunks after it stay, our INFO chunk follows; the index says what was mended. The
// merge takes the same samples.
TEST_P(DamagedWavTest, GoesOutAsFarAsItHoldsWithSizesThatMatch) {
    const DamageCase& c = GetParam();
    const std::wstring line = AddRecording(Base() / L"QC7", 2, kStart, c.recording);
    const ExportOutcome outcome =
        ExportRecordings({line}, out_.Path() / L"out", {Base()}, kNow, progress_);
    ASSERT_EQ(outcome.done, 1u);
    ASSERT_EQ(outcome.recordings.size(), 1u);
    EXPECT_EQ(ToUtf8(outcome.recordings[0].repair), std::string(c.note).substr(c.note[0] ? 2 : 0));

    Bytes expected(kSamples.begin(), kSamples.begin() + c.samplesKept);
    if (std::string(c.name) == "sizes never finalised")
        expected.push_back(0); // the pad byte is a sample once the size is unknown
    const Bytes file = ReadFile(out_.Path() / L"out" / L"K2_2026-12-07_10-00-00.wav");
    const auto riff = ParseRiff(file);
    ASSERT_TRUE(riff.has_value()) << "not a valid RIFF file";
    ASSERT_EQ(riff->chunks.size(), 3 + c.chunksKept);
    EXPECT_EQ(riff->chunks[0].id, "fmt ");
    EXPECT_EQ(riff->chunks[1].id, "data");
    EXPECT_EQ(riff->chunks[1].data, expected);
    if (c.chunksKept == 1) {
        EXPECT_EQ(ListEntries(riff->chunks[2]).at(0).id, "ISFT");
    }
    const Chunk& info = riff->chunks.back();
    EXPECT_EQ(info.id, "LIST");
    EXPECT_EQ(std::string(info.data.begin(), info.data.begin() + 4), "INFO");

    const auto rows = CsvRows(ReadText(outcome.indexFile).substr(3));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][3], c.duration);
    EXPECT_EQ(rows[1][4], std::to_string(c.recording.size()));
    EXPECT_EQ(rows[1][8], ToUtf8(HexSha256(c.recording)));
    EXPECT_EQ(rows[1][9], ToUtf8(HexSha256(file)));
    EXPECT_EQ(rows[1][10], std::string("ok") + c.note);

    const fs::path merged = out_.Path() / L"all.wav";
    const ExportOutcome merge = MergeRecordings({line}, merged, {Base()}, progress_);
    ASSERT_EQ(merge.done, 1u);
    const auto mergedRiff = ParseRiff(ReadFile(merged));
    ASSERT_TRUE(mergedRiff.has_value());
    EXPECT_EQ(mergedRiff->Find("data")->data, expected);
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedWavTest, testing::ValuesIn(kDamage),
                         [](const testing::TestParamInfo<DamageCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

} // namespace
} // namespace voice::exporting::test
