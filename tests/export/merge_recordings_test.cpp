#include <gtest/gtest.h>

#include "conversion/recording_converter.h"
#include "platform/safe_file.h"
#include "export/export_job.h"
#include "export_fixture.h"
#include "recording_encoder.h"
#include "riff_files.h"

namespace voice::exporting::test {
namespace {

std::uint32_t Load32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

std::wstring DisplayColumns(const std::wstring& line) {
    std::wstring display = line.substr(0, 80);
    display.erase(display.find_last_not_of(L' ') + 1);
    return display;
}

class MergeRecordingsTest : public testing::Test {
protected:
    fs::path Base() const { return archive_.Path() / L"kanal1"; }
    fs::path Target() const { return out_.Path() / L"all.wav"; }
    std::wstring Add(int minute, const Bytes& recording) {
        return AddRecording(Base() / L"QC7", 1, {2026, 12, 7, 9, minute, 0}, recording);
    }
    ExportOutcome Merge(const std::vector<std::wstring>& lines) {
        return MergeRecordings(lines, Target(), {Base()}, progress_);
    }

    TempFolder archive_, out_;
    RecordingProgress progress_;
};

// Recordings of every decodable form in list order, silence between them, one cue point
// and one label per recording; what cannot go in is reported and left out.
TEST_F(MergeRecordingsTest, JoinsTheSamplesWithCuePointsAndLabels) {
    const Bytes a = SoundWithRuns(7860, 1), b = SoundWithRuns(5000, 2), c = SoundWithRuns(999, 3);
    const std::vector<std::wstring> lines = {
        Add(0, EncodeRecording(RecordingKind::InvertedRuns, a)),
        Add(1, EncodeRecording(RecordingKind::Wav, Bytes(400, 0), {44100, 1, 16})),
        Add(2, EncodeRecording(RecordingKind::Wav, b)),
        Add(3, EncodeRecording(RecordingKind::Undecodable, b)),
        Add(4, EncodeRecording(RecordingKind::SwappedRuns, c)),
    };
    const ExportOutcome outcome = Merge(lines);
    EXPECT_EQ(outcome.done, 3u);
    EXPECT_EQ(outcome.failed, 2u);
    ASSERT_EQ(outcome.errors.size(), 2u);
    EXPECT_NE(outcome.errors[0].find(L"8 бит, моно, 7860 Гц"), std::wstring::npos);
    EXPECT_NE(outcome.errors[1].find(L"декодер отсутствует"), std::wstring::npos);

    const Bytes file = ReadFile(Target());
    const auto riff = ParseRiff(file);
    ASSERT_TRUE(riff.has_value());
    ASSERT_EQ(riff->chunks.size(), 4u);
    EXPECT_EQ(riff->chunks[0].id, "fmt ");
    EXPECT_EQ(Load32(riff->chunks[0].data, 4), 7860u);
    EXPECT_EQ(riff->chunks[0].data[14], 8);
    EXPECT_EQ(riff->chunks[1].id, "data");
    const Bytes silence(3930, 0x80);
    Bytes expected = a;
    for (const Bytes* next : {&b, &c}) {
        expected.insert(expected.end(), silence.begin(), silence.end());
        expected.insert(expected.end(), next->begin(), next->end());
    }
    EXPECT_EQ(riff->chunks[1].data, expected);
    EXPECT_EQ(expected.size() % 2, 1u); // so the cue chunk follows a pad byte

    const Chunk& cue = riff->chunks[2];
    EXPECT_EQ(cue.id, "cue ");
    ASSERT_EQ(Load32(cue.data, 0), 3u);
    const std::uint32_t starts[] = {0, std::uint32_t(a.size() + 3930),
                                    std::uint32_t(a.size() + b.size() + 2 * 3930)};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t at = 4 + 24 * i;
        EXPECT_EQ(Load32(cue.data, at), i + 1);
        EXPECT_EQ(Load32(cue.data, at + 4), starts[i]);
        EXPECT_EQ(std::string(cue.data.begin() + at + 8, cue.data.begin() + at + 12), "data");
        EXPECT_EQ(Load32(cue.data, at + 20), starts[i]);
    }

    const Chunk& adtl = riff->chunks[3];
    EXPECT_EQ(adtl.id, "LIST");
    EXPECT_EQ(std::string(adtl.data.begin(), adtl.data.begin() + 4), "adtl");
    const auto labels = ListEntries(adtl);
    ASSERT_EQ(labels.size(), 3u);
    const std::size_t merged[] = {0, 2, 4};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(labels[i].id, "labl");
        EXPECT_EQ(Load32(labels[i].data, 0), i + 1);
        const std::wstring display = DisplayColumns(lines[merged[i]]);
        EXPECT_EQ(std::string(labels[i].data.begin() + 4, labels[i].data.end() - 1),
                  std::string(display.begin(), display.end()));
    }
    EXPECT_EQ(FileNames(out_.Path()), std::vector<std::wstring>{L"all.wav"});
}

// Other tools' WAV files (a LIST chunk before "data") give their samples, not their
// chunks.
TEST_F(MergeRecordingsTest, AWavWithChunksBeforeItsDataGivesItsSamples) {
    const Bytes a = SoundWithRuns(3001, 4), b = SoundWithRuns(2000, 6);
    const Bytes tooled = voice::test::WaveFile({voice::test::PcmFormat(1, 7860, 8),
                                                voice::test::InfoList({{"ISFT", "editor"}}),
                                                {"data", a}});
    const ExportOutcome outcome =
        Merge({Add(0, tooled), Add(1, EncodeRecording(RecordingKind::HeaderlessPcm, b))});
    EXPECT_EQ(outcome.done, 2u);
    EXPECT_EQ(outcome.failed, 0u);
    const auto riff = ParseRiff(ReadFile(Target()));
    ASSERT_TRUE(riff.has_value());
    Bytes expected = a;
    expected.insert(expected.end(), 3930, 0x80);
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(riff->Find("data")->data, expected);
}

TEST_F(MergeRecordingsTest, AResultPastFourGigabytesIsRefusedBeforeAnythingIsWritten) {
    // Headerless recordings are sized from their length: sparse files, nothing read.
    std::vector<std::wstring> lines;
    for (int i = 0; i < 2; ++i) {
        lines.push_back(Add(i, Bytes(8, 0x80)));
        fs::resize_file(Base() / L"QC7" / RecordingName({2026, 12, 7, 9, i, 0}, 1),
                        0x7FFFFFFFull + 1);
    }
    try {
        Merge(lines);
        ADD_FAILURE() << "not refused";
    } catch (const WriteRefused& refused) {
        EXPECT_NE(refused.Text().find(L"4 ГБ"), std::wstring::npos);
    }
    EXPECT_TRUE(FileNames(out_.Path()).empty());
    EXPECT_TRUE(progress_.items.empty());
}

TEST_F(MergeRecordingsTest, CancelLeavesNoFile) {
    const std::vector<std::wstring> lines = {Add(0, Bytes(100, 0x80)), Add(1, Bytes(100, 0x81))};
    progress_.cancelAfter = 1;
    const ExportOutcome outcome = Merge(lines);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(FileNames(out_.Path()).empty());
}

TEST_F(MergeRecordingsTest, ReplacesTheChosenFileOnlyWhenComplete) {
    WriteFile(Target(), Bytes{1, 2, 3});
    const ExportOutcome outcome = Merge({Add(0, Bytes(100, 0x80))});
    EXPECT_EQ(outcome.done, 1u);
    EXPECT_EQ(ReadFile(Target()).size(), 44u + 100 + 36 + 12 + 8 + 50); // cue, LIST, labl
}

} // namespace
} // namespace voice::exporting::test
