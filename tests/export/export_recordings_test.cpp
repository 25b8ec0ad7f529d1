#include <gtest/gtest.h>

#include <functional>

#include "conversion/recording_converter.h"
#include "export/export_job.h"
#include "export_fixture.h"
#include "memory_conversion.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"
#include "recording_encoder.h"
#include "riff_files.h"

namespace voice::exporting::test {
namespace {

constexpr LocalMoment kNow{2026, 12, 7, 14, 5, 9};
constexpr DateTimeParts kStart{2026, 12, 7, 10, 0, 0};

using voice::test::MemoryReader;
using voice::test::MemoryWriter;

// The playback file the program makes of a recording.
Bytes PlaybackOf(const Bytes& recording) {
    MemoryReader reader(recording);
    MemoryWriter writer;
    ConvertRecording(reader, writer);
    return writer.bytes;
}

std::wstring Hash(const Bytes& bytes) {
    return HexSha256(bytes);
}

std::string Text(const Bytes& zeroTerminated) {
    EXPECT_FALSE(zeroTerminated.empty());
    EXPECT_EQ(zeroTerminated.back(), 0);
    return std::string(zeroTerminated.begin(), zeroTerminated.end() - 1);
}

class ExportRecordingsTest : public testing::Test {
protected:
    fs::path Archive() const { return archive_.Path() / L"kanal3" / L"QC7"; }
    fs::path Out() const { return out_.Path() / PathFromWide(L"выдача"); }
    ExportOutcome Export(const std::vector<std::wstring>& lines) {
        return ExportRecordings(lines, Out(), {archive_.Path() / L"kanal3"}, kNow, progress_);
    }
    std::vector<std::vector<std::string>> Index(const ExportOutcome& outcome) {
        const std::string text = ReadText(outcome.indexFile);
        EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
        auto rows = CsvRows(text.substr(3));
        EXPECT_EQ(rows.at(0).size(), 11u);
        EXPECT_EQ(rows.at(0).at(0), "channel");
        EXPECT_EQ(rows.at(0).at(10), "status");
        return rows;
    }

    TempFolder archive_, out_;
    RecordingProgress progress_;
};

struct KindCase {
    RecordingKind kind;
    std::size_t samples;
    WavFormat format;
    const char* duration;
};

class ExportKindTest : public ExportRecordingsTest, public testing::WithParamInterface<KindCase> {};

// Every stored form: the exported file is the playback file, a pad byte where needed,
// the INFO chunk, and a RIFF size covering them; the index describes it.
TEST_P(ExportKindTest, WritesThePlaybackFileWithItsTextChunk) {
    const KindCase& c = GetParam();
    const Bytes recording = EncodeRecording(c.kind, SoundWithRuns(c.samples, 7), c.format);
    const std::wstring line = AddRecording(Archive(), 3, kStart, recording);
    const ExportOutcome outcome = Export({line});
    EXPECT_EQ(outcome.done, 1u);
    EXPECT_EQ(outcome.failed, 0u);

    const fs::path exported = Out() / L"K3_2026-12-07_10-00-00.wav";
    const Bytes file = ReadFile(exported);
    const Bytes playback = PlaybackOf(recording);
    ASSERT_GE(file.size(), playback.size());
    EXPECT_TRUE(std::equal(playback.begin() + 8, playback.end(), file.begin() + 8));
    EXPECT_TRUE(std::equal(playback.begin(), playback.begin() + 4, file.begin()));

    const auto riff = ParseRiff(file);
    ASSERT_TRUE(riff.has_value());
    const Chunk* list = riff->Find("LIST");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->offset, playback.size() + playback.size() % 2);
    EXPECT_EQ(std::string(list->data.begin(), list->data.begin() + 4), "INFO");
    const auto entries = ListEntries(*list);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].id, "INAM");
    EXPECT_EQ(Text(entries[0].data), "Канал 3");
    EXPECT_EQ(entries[1].id, "ICRD");
    EXPECT_EQ(Text(entries[1].data), "2026-12-07 10:00:00");
    EXPECT_EQ(entries[2].id, "ICMT");
    EXPECT_EQ(Text(entries[2].data), ToUtf8((Archive() / L"QC7A0000.3").wstring()));

    const auto rows = Index(outcome);
    ASSERT_EQ(rows.size(), 2u);
    const std::vector<std::string> expected = {"3",
                                               "2026-12-07 10:00:00",
                                               "2026-12-07 10:01:00",
                                               c.duration,
                                               std::to_string(recording.size()),
                                               std::to_string(static_cast<int>(c.kind)),
                                               ToUtf8((Archive() / L"QC7A0000.3").wstring()),
                                               "K3_2026-12-07_10-00-00.wav",
                                               ToUtf8(Hash(recording)),
                                               ToUtf8(Hash(file)),
                                               "ok"};
    EXPECT_EQ(rows[1], expected);
    EXPECT_EQ(FileNames(Out()), (std::vector<std::wstring>{L"K3_2026-12-07_10-00-00.wav",
                                                           L"export_2026-12-07_14-05-09.csv"}));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ExportKindTest,
    testing::Values(KindCase{RecordingKind::Wav, 7860, {}, "1.000"},
                    KindCase{RecordingKind::Wav, 44100 * 4, {44100, 2, 16}, "1.000"},
                    KindCase{RecordingKind::HeaderlessPcm, 3931, {}, "0.500"},
                    KindCase{RecordingKind::Inverted, 15720, {}, "2.000"},
                    KindCase{RecordingKind::Inverted, 0, {}, "0.000"},
                    KindCase{RecordingKind::InvertedRuns, 200000, {}, "25.445"},
                    KindCase{RecordingKind::SwappedRuns, 70001, {}, "8.906"},
                    KindCase{RecordingKind::PlainRuns, 1, {}, "0.000"}));

// A WAV as other tools write it, a LIST chunk before "data": exported unchanged but for
// the RIFF size, its duration taken from its data chunk.
TEST_F(ExportRecordingsTest, AWavWithChunksBeforeItsDataKeepsItsSamples) {
    const Bytes samples = SoundWithRuns(7860 * 2, 5);
    const Bytes recording = voice::test::WaveFile({voice::test::PcmFormat(1, 7860, 8),
                                                   voice::test::InfoList({{"ISFT", "editor"}}),
                                                   {"data", samples}});
    const ExportOutcome outcome = Export({AddRecording(Archive(), 3, kStart, recording)});
    ASSERT_EQ(outcome.done, 1u);

    const Bytes file = ReadFile(Out() / L"K3_2026-12-07_10-00-00.wav");
    ASSERT_GT(file.size(), recording.size());
    EXPECT_TRUE(std::equal(recording.begin() + 8, recording.end(), file.begin() + 8));
    const auto riff = ParseRiff(file);
    ASSERT_TRUE(riff.has_value());
    EXPECT_EQ(riff->Find("data")->data, samples);
    const auto rows = Index(outcome);
    EXPECT_EQ(rows.at(1).at(3), "2.000");
    EXPECT_EQ(rows.at(1).at(5), "1");
}

TEST_F(ExportRecordingsTest, FailedRecordingsAreNamedInTheIndexAndTheRestGoOn) {
    const std::wstring undecodable = AddRecording(
        Archive(), 3, kStart, EncodeRecording(RecordingKind::Undecodable, Bytes(100, 1)));
    std::wstring missing = AddRecording(Archive(), 3, {2026, 12, 7, 11, 0, 0}, Bytes(10, 0x80));
    fs::remove(Archive() / L"QC7B0000.3");
    const std::wstring good = AddRecording(Archive(), 3, {2026, 12, 7, 12, 0, 0}, Bytes(10, 0x80));

    const ExportOutcome outcome = Export({undecodable, missing, good});
    EXPECT_EQ(outcome.done, 1u);
    EXPECT_EQ(outcome.failed, 2u);
    ASSERT_EQ(outcome.errors.size(), 2u);
    EXPECT_EQ(outcome.errors[0],
              (Archive() / L"QC7A0000.3").wstring() + L": вид записи 7: декодер отсутствует");
    EXPECT_EQ(outcome.errors[1],
              (Archive() / L"QC7B0000.3").wstring() + L": не удалось открыть запись");
    const auto rows = Index(outcome);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][5], "7");
    EXPECT_EQ(rows[1][7], "");
    EXPECT_EQ(rows[1][8].size(), 64u); // the source was read: its hash is known
    EXPECT_EQ(rows[1][9], "");
    EXPECT_EQ(rows[1][10], "вид записи 7: декодер отсутствует");
    EXPECT_EQ(rows[2][7], "");
    EXPECT_EQ(rows[2][10], "не удалось открыть запись");
    EXPECT_EQ(rows[3][10], "ok");
    EXPECT_EQ(FileNames(Out()), (std::vector<std::wstring>{L"K3_2026-12-07_12-00-00.wav",
                                                           L"export_2026-12-07_14-05-09.csv"}));
    EXPECT_EQ(progress_.items.size(), 3u);
    EXPECT_EQ(progress_.items[1].index, 1u);
    EXPECT_EQ(progress_.items[1].total, 3u);
}

// The hashes run beside the conversion and serve every recording in turn: after a
// recording that failed or was read back, the next digests are still those of its files.
TEST_F(ExportRecordingsTest, EveryRowHashesItsOwnFilesWithinOneExport) {
    const std::pair<RecordingKind, std::size_t> forms[] = {
        {RecordingKind::InvertedRuns, 700000}, {RecordingKind::Undecodable, 300},
        {RecordingKind::Wav, 600000},          {RecordingKind::PlainRuns, 20},
        {RecordingKind::HeaderlessPcm, 1},     {RecordingKind::SwappedRuns, 300000},
        {RecordingKind::Inverted, 530001}};
    std::vector<std::wstring> lines;
    std::vector<Bytes> recordings;
    for (std::size_t i = 0; i < std::size(forms); ++i) {
        recordings.push_back(
            EncodeRecording(forms[i].first, SoundWithRuns(forms[i].second, unsigned(i))));
        lines.push_back(
            AddRecording(Archive(), 3, {2026, 12, 7, 10 + int(i), 0, 0}, recordings.back()));
    }
    const ExportOutcome outcome = Export(lines);
    EXPECT_EQ(outcome.done, std::size(forms) - 1);
    const auto rows = Index(outcome);
    ASSERT_EQ(rows.size(), std::size(forms) + 1);
    for (std::size_t i = 0; i < std::size(forms); ++i) {
        const auto& row = rows[i + 1];
        EXPECT_EQ(row[8], ToUtf8(Hash(recordings[i]))) << "row " << i;
        if (forms[i].first == RecordingKind::Undecodable) {
            EXPECT_EQ(row[9], "");
            continue;
        }
        ASSERT_EQ(row[10], "ok") << "row " << i;
        EXPECT_EQ(row[9], ToUtf8(Hash(ReadFile(Out() / PathFromWide(FromUtf8(row[7]))))))
            << "row " << i;
    }
}

TEST_F(ExportRecordingsTest, NamesNeverOverwrite) {
    const std::wstring first = AddRecording(Archive(), 3, kStart, Bytes(10, 0x80));
    // The same start in another day directory, and files already in the folder (one
    // named in another case, as Windows would find it).
    const std::wstring second = AddRecording(Archive() / L"copy", 3, kStart, Bytes(12, 0x81));
    WriteFile(Out() / L"k3_2026-12-07_10-00-00.WAV", Bytes{1, 2, 3});
    WriteFile(Out() / L"export_2026-12-07_14-05-09.csv", Bytes{4});

    const ExportOutcome outcome = Export({first, second});
    EXPECT_EQ(outcome.done, 2u);
    EXPECT_EQ(outcome.indexFile.filename(), L"export_2026-12-07_14-05-09_2.csv");
    EXPECT_EQ(ReadFile(Out() / L"k3_2026-12-07_10-00-00.WAV"), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadFile(Out() / L"export_2026-12-07_14-05-09.csv"), (Bytes{4}));
    EXPECT_EQ(ReadFile(Out() / L"K3_2026-12-07_10-00-00_2.wav").at(44), 0x80);
    const auto rows = Index(outcome);
    EXPECT_EQ(rows[1][7], "K3_2026-12-07_10-00-00_2.wav");
    EXPECT_EQ(rows[2][7], "K3_2026-12-07_10-00-00_3.wav");
    EXPECT_EQ(ReadFile(Out() / L"K3_2026-12-07_10-00-00_3.wav")[44], 0x81);
}

TEST_F(ExportRecordingsTest, CancelStopsAfterTheCurrentRecordingAndLeavesNoPartFile) {
    std::vector<std::wstring> lines;
    for (int minute = 0; minute < 4; ++minute)
        lines.push_back(AddRecording(Archive(), 3, {2026, 12, 7, 10, minute, 0}, Bytes(100, 0x80)));
    progress_.cancelAfter = 2;
    const ExportOutcome outcome = Export(lines);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.done, 2u);
    EXPECT_EQ(FileNames(Out()), (std::vector<std::wstring>{L"K3_2026-12-07_10-00-00.wav",
                                                           L"K3_2026-12-07_10-01-00.wav",
                                                           L"export_2026-12-07_14-05-09.csv"}));
    EXPECT_EQ(Index(outcome).size(), 3u);
}

TEST_F(ExportRecordingsTest, TargetsInsideTheArchiveAreRefusedBeforeAnythingIsWritten) {
    const std::wstring line = AddRecording(Archive(), 3, kStart, Bytes(10, 0x80));
    const fs::path base = archive_.Path() / L"kanal3";
    // The same folder spelt in another case, below it, and through "..".
    std::wstring upper = (archive_.Path() / L"KANAL3" / L"Out").wstring();
    const std::vector<fs::path> targets = {base, upper, base / L"QC7" / L"x" / L"..",
                                           base / L"new" / L"deeper"};
    for (const fs::path& target : targets) {
        try {
            ExportRecordings({line}, target, {base}, kNow, progress_);
            ADD_FAILURE() << target;
        } catch (const WriteRefused& refused) {
            EXPECT_NE(refused.Text().find(L"Запись в архив запрещена"), std::wstring::npos);
        }
        EXPECT_THROW(MergeRecordings({line}, target / L"all.wav", {base}, progress_),
                     WriteRefused);
        EXPECT_THROW(SaveListCsv({line}, target / L"list.csv", {base}), WriteRefused);
    }
    std::vector<std::wstring> archiveFiles;
    for (const auto& entry : fs::recursive_directory_iterator(archive_.Path()))
        archiveFiles.push_back(entry.path().lexically_relative(archive_.Path()).wstring());
    EXPECT_EQ(archiveFiles.size(), 3u); // kanal3, QC7 and the recording
    // A sibling whose name only begins like the base is not inside it.
    EXPECT_NO_THROW(
        ExportRecordings({line}, archive_.Path() / L"kanal33", {base}, kNow, progress_));
}

// A name another program takes while the recording is written does not lose it: it is
// given the next free name, as when the name was taken beforehand.
TEST_F(ExportRecordingsTest, ANameTakenMeanwhileGivesTheNextFreeName) {
    const std::wstring line = AddRecording(Archive(), 3, kStart, Bytes(10, 0x80));
    progress_.beforeItem = [&](std::size_t) {
        WriteFile(Out() / L"K3_2026-12-07_10-00-00.wav", Bytes{9});
    };
    const ExportOutcome outcome = Export({line});
    EXPECT_EQ(outcome.done, 1u);
    EXPECT_EQ(ReadFile(Out() / L"K3_2026-12-07_10-00-00.wav"), Bytes{9});
    EXPECT_EQ(ReadFile(Out() / L"K3_2026-12-07_10-00-00_2.wav").at(44), 0x80);
}

#ifndef _WIN32
// The folder is judged and opened once: swapped for a link into the archive after that,
// its path leads elsewhere, but every file still goes into the folder that was judged.
TEST_F(ExportRecordingsTest, AFolderSwappedForALinkIntoTheArchiveIsNotFollowed) {
    const std::vector<std::wstring> lines = {
        AddRecording(Archive(), 3, kStart, Bytes(10, 0x80)),
        AddRecording(Archive(), 3, {2026, 12, 7, 10, 1, 0}, Bytes(10, 0x81))};
    const fs::path base = archive_.Path() / L"kanal3";
    const fs::path moved = out_.Path() / L"moved";
    auto swapAtFirstRecording = [&](const fs::path& folder) {
        progress_.beforeItem = [&, folder](std::size_t index) {
            if (index != 0)
                return;
            fs::rename(folder, moved);
            fs::create_directory_symlink(base / L"QC7", folder);
        };
    };
    const std::function<void(const fs::path&)> commands[] = {
        [&](const fs::path& folder) { ExportRecordings(lines, folder, {base}, kNow, progress_); },
        [&](const fs::path& folder) { MergeRecordings(lines, folder / L"all.wav", {base}, progress_); },
    };
    for (const auto& command : commands) {
        const fs::path folder = out_.Path() / L"target";
        fs::create_directory(folder);
        const std::vector<std::wstring> before = FileNames(base / L"QC7");
        swapAtFirstRecording(folder);
        command(folder);
        EXPECT_EQ(FileNames(base / L"QC7"), before);
        EXPECT_FALSE(FileNames(moved).empty());
        fs::remove(folder);
        fs::remove_all(moved);
    }
}
#endif

} // namespace
} // namespace voice::exporting::test
