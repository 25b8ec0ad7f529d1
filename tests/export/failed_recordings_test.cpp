// Recordings that fail part way, and merges cancelled: the outcome and the files say
// exactly what happened. The failures are real: files cut, removed or turned into
// directories after the command has looked at them.

#include <gtest/gtest.h>

#include <functional>

#include "platform/safe_file.h"
#include "export/export_job.h"
#include "platform/utf8.h"
#include "export_fixture.h"
#include "recording_encoder.h"
#include "riff_files.h"

namespace voice::exporting::test {
namespace {

constexpr LocalMoment kNow{2026, 12, 7, 14, 5, 9};

std::uint32_t Load32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

// What the command meets when it comes to the recording.
using Damage = std::function<void(const fs::path&)>;

void CutToHalf(const fs::path& path) {
    fs::resize_file(path, fs::file_size(path) / 2);
}
void MakeDirectory(const fs::path& path) {
    fs::remove(path);
    fs::create_directory(path);
}
void Remove(const fs::path& path) {
    fs::remove(path);
}

// Only a regular file opens as a recording, on every system.
constexpr wchar_t kDirectoryFailure[] = L"не удалось открыть запись";

class FailedRecordingsTest : public testing::Test {
protected:
    fs::path Base() const { return archive_.Path() / L"kanal4"; }
    fs::path Path(int minute) const {
        return Base() / L"QC7" / RecordingName({2026, 12, 7, 9, minute, 0}, 4);
    }
    std::wstring Add(int minute, const Bytes& recording) {
        return AddRecording(Base() / L"QC7", 4, {2026, 12, 7, 9, minute, 0}, recording);
    }

    TempFolder archive_, out_;
    RecordingProgress progress_;
};

struct MergeFailure {
    const char* name;
    RecordingKind kind;
    Damage damage;
    const wchar_t* failure;
};

const MergeFailure kMergeFailures[] = {
    {"headerless cut", RecordingKind::HeaderlessPcm, CutToHalf,
     L"запись изменилась во время работы"},
    {"run-coded cut", RecordingKind::InvertedRuns, CutToHalf, L"запись изменилась во время работы"},
    {"WAV cut", RecordingKind::Wav, CutToHalf, L"запись изменилась во время работы"},
    {"now a directory", RecordingKind::Inverted, MakeDirectory, kDirectoryFailure},
    {"removed", RecordingKind::SwappedRuns, Remove, L"не удалось открыть запись"},
};

// A recording that fails once the merge has planned it, before, between or after two
// that go in (last, what it wrote lies past the end): the merged file holds the others
// only, with their silence, cues and labels, and nothing of it.
TEST_F(FailedRecordingsTest, AMergeTakesARecordingWholeOrNotAtAll) {
    const Bytes a = SoundWithRuns(5001, 1), c = SoundWithRuns(7000, 2);
    const Bytes victim = SoundWithRuns(20000, 3);
    for (const MergeFailure& f : kMergeFailures) {
        for (const std::size_t victimAt : {0u, 1u, 2u}) {
            SCOPED_TRACE(std::string(f.name) + " at " + std::to_string(victimAt));
            std::vector<Bytes> recordings = {EncodeRecording(RecordingKind::PlainRuns, a),
                                             EncodeRecording(RecordingKind::HeaderlessPcm, c)};
            recordings.insert(recordings.begin() + static_cast<std::ptrdiff_t>(victimAt),
                              EncodeRecording(f.kind, victim));
            std::vector<std::wstring> ordered;
            for (int i = 0; i < 3; ++i)
                ordered.push_back(Add(i, recordings[static_cast<std::size_t>(i)]));
            const fs::path victimPath = Path(static_cast<int>(victimAt));
            progress_.beforeItem = [&](std::size_t index) {
                if (index == victimAt)
                    f.damage(victimPath);
            };
            const fs::path target = out_.Path() / L"all.wav";
            const ExportOutcome outcome = MergeRecordings(ordered, target, {Base()}, progress_);

            EXPECT_EQ(outcome.done, 2u);
            EXPECT_EQ(outcome.failed, 1u);
            EXPECT_EQ(outcome.errors,
                      std::vector<std::wstring>{WideFromPath(victimPath) + L": " + f.failure});
            ASSERT_EQ(outcome.recordings.size(), 3u);
            for (std::size_t i = 0; i < 3; ++i) {
                const RecordingResult& r = outcome.recordings[i];
                EXPECT_EQ(r.line, i);
                EXPECT_EQ(r.file, i == victimAt ? L"" : L"all.wav");
                EXPECT_EQ(r.failure, i == victimAt ? f.failure : L"");
            }
            EXPECT_EQ(WrittenFiles(outcome, out_.Path()), std::vector<fs::path>{target});

            const Bytes file = ReadFile(target);
            const auto riff = ParseRiff(file);
            ASSERT_TRUE(riff.has_value()) << "not a whole RIFF file";
            Bytes expected = a;
            expected.insert(expected.end(), 3930, 0x80);
            expected.insert(expected.end(), c.begin(), c.end());
            EXPECT_EQ(riff->Find("data")->data, expected);
            const Chunk* cue = riff->Find("cue ");
            ASSERT_NE(cue, nullptr);
            ASSERT_EQ(Load32(cue->data, 0), 2u);
            EXPECT_EQ(Load32(cue->data, 4 + 24 + 4), a.size() + 3930);
            EXPECT_EQ(ListEntries(*riff->Find("LIST")).size(), 2u);

            fs::remove_all(Base());
            fs::remove(target);
            progress_.items.clear();
        }
    }
}

struct ExportFailure {
    const char* name;
    std::function<void(const fs::path&)> damage;
    const wchar_t* failure;
};

// A row whose recording could not be read whole has no digest of it, and no file; the
// rows around it keep their own digests.
TEST_F(FailedRecordingsTest, AFailedReadLeavesNoDigest) {
    std::vector<ExportFailure> failures = {
        {"a directory", MakeDirectory, kDirectoryFailure},
        {"removed", Remove, L"не удалось открыть запись"},
    };
#ifndef _WIN32
    // A kernel file states 4096 bytes and gives a few: the read ends part way.
    const fs::path shortFile = "/sys/devices/system/cpu/online";
    if (fs::exists(shortFile) && fs::file_size(shortFile) > ReadFile(shortFile).size())
        failures.push_back({"shorter than it states",
                            [&](const fs::path& path) {
                                fs::remove(path);
                                fs::create_symlink(shortFile, path);
                            },
                            L"ошибка чтения записи"});
    else
        ADD_FAILURE() << "no file shorter than it states: " << shortFile;
#endif
    const Bytes good = EncodeRecording(RecordingKind::InvertedRuns, SoundWithRuns(30000, 5));
    for (const ExportFailure& f : failures) {
        SCOPED_TRACE(f.name);
        const std::vector<std::wstring> lines = {
            Add(0, good), Add(1, EncodeRecording(RecordingKind::HeaderlessPcm, Bytes(9000, 0x81))),
            Add(2, good)};
        progress_.beforeItem = [&](std::size_t index) {
            if (index == 1)
                f.damage(Path(1));
        };
        const fs::path folder = out_.Path() / PathFromWide(FromUtf8(f.name));
        const ExportOutcome outcome = ExportRecordings(lines, folder, {Base()}, kNow, progress_);
        EXPECT_EQ(outcome.done, 2u);
        EXPECT_EQ(outcome.failed, 1u);

        const auto rows = CsvRows(ReadText(outcome.indexFile).substr(3));
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[2][7], "");
        EXPECT_EQ(rows[2][8], "");
        EXPECT_EQ(rows[2][9], "");
        EXPECT_EQ(rows[2][10], ToUtf8(f.failure));
        for (const std::size_t row : {1u, 3u}) {
            EXPECT_EQ(rows[row][8], ToUtf8(HexSha256(good)));
            EXPECT_EQ(rows[row][9], ToUtf8(HexSha256(ReadFile(folder / rows[row][7]))));
        }
        const fs::path first = folder / L"K4_2026-12-07_09-00-00.wav";
        const fs::path third = folder / L"K4_2026-12-07_09-02-00.wav";
        EXPECT_EQ(WrittenFiles(outcome, folder),
                  (std::vector<fs::path>{first, third, outcome.indexFile}));
        ASSERT_EQ(outcome.recordings.size(), 3u);
        EXPECT_EQ(outcome.recordings[1].file, L"");
        EXPECT_EQ(outcome.recordings[1].failure, f.failure);
        EXPECT_EQ(
            FileNames(folder),
            (std::vector<std::wstring>{L"K4_2026-12-07_09-00-00.wav", L"K4_2026-12-07_09-02-00.wav",
                                       L"export_2026-12-07_14-05-09.csv"}));
        fs::remove_all(Base());
    }
}

// Cancelled while planning, after the first recording and before the last: the merge
// says so, counts nothing as written, names only real failures, and leaves the file
// that was there as it was.
TEST_F(FailedRecordingsTest, ACancelledMergeWritesNothingAndSaysSo) {
    const fs::path target = out_.Path() / L"all.wav";
    WriteFile(target, Bytes{1, 2, 3});
    std::vector<std::wstring> lines;
    for (int i = 0; i < 4; ++i)
        lines.push_back(Add(i, EncodeRecording(RecordingKind::InvertedRuns, Bytes(500, 0x70))));
    lines.insert(lines.begin() + 1,
                 Add(9, EncodeRecording(RecordingKind::Undecodable, Bytes(50, 1))));
    for (const std::size_t cancelAfter : {0u, 1u, 3u}) {
        SCOPED_TRACE(cancelAfter);
        progress_.items.clear();
        progress_.cancelAfter = cancelAfter;
        const ExportOutcome outcome = MergeRecordings(lines, target, {Base()}, progress_);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_EQ(outcome.done, 0u);
        EXPECT_TRUE(WrittenFiles(outcome, out_.Path()).empty());
        for (const RecordingResult& r : outcome.recordings)
            EXPECT_EQ(r.failure, L"вид записи 7: декодер отсутствует");
        EXPECT_EQ(outcome.recordings.size(), outcome.failed);
        EXPECT_EQ(ReadFile(target), (Bytes{1, 2, 3}));
        EXPECT_EQ(FileNames(out_.Path()), std::vector<std::wstring>{L"all.wav"});
    }
}

struct FormatCase {
    const char* name;
    voice::test::RiffChunk format;
    bool merged;
};

voice::test::RiffChunk WithSubFormat(voice::test::RiffChunk chunk, std::uint8_t tag) {
    chunk.body[24] = tag;
    return chunk;
}

// The merged format judged by what the samples are: 8-bit mono 7860 Hz PCM, also under
// the extensible format's tag.
TEST_F(FailedRecordingsTest, TheMergeJudgesAWavByItsSubFormat) {
    using voice::test::ExtensibleFormat;
    using voice::test::PcmFormat;
    const FormatCase cases[] = {
        {"PCM", PcmFormat(1, 7860, 8), true},
        {"extensible PCM", ExtensibleFormat(1, 7860, 8), true},
        {"extensible float", WithSubFormat(ExtensibleFormat(1, 7860, 8), 3), false},
        {"extensible 8000 Hz", ExtensibleFormat(1, 8000, 8), false},
        {"extensible stereo", ExtensibleFormat(2, 7860, 8), false},
        {"extensible 16-bit", ExtensibleFormat(1, 7860, 16), false},
    };
    const Bytes samples = SoundWithRuns(2001, 9);
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = out_.Path() / PathFromWide(FromUtf8(c.name) + L".wav");
        const ExportOutcome outcome = MergeRecordings(
            {Add(0, voice::test::WaveFile({c.format, {"fact", {1, 0, 0, 0}}, {"data", samples}}))},
            target, {Base()}, progress_);
        EXPECT_EQ(outcome.done, c.merged ? 1u : 0u);
        if (c.merged) {
            const auto riff = ParseRiff(ReadFile(target));
            ASSERT_TRUE(riff.has_value());
            EXPECT_EQ(riff->Find("data")->data, samples);
        } else {
            EXPECT_EQ(outcome.errors.at(0).substr(outcome.errors[0].find(L": ") + 2),
                      L"WAV не в формате 8 бит, моно, 7860 Гц: в общий файл не включается");
            EXPECT_FALSE(FileExists(target));
        }
    }
}

} // namespace
} // namespace voice::exporting::test
