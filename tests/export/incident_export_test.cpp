// The incident file on real recordings: each recording's cue at its true place with the
// long silence shortened, tracks holding only their own channel, the index beside it, and
// nothing written when refused or cancelled.

#include <gtest/gtest.h>

#include <algorithm>

#include "export/incident_export.h"
#include "export_fixture.h"
#include "incident/session/incident_playback.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"
#include "recording_encoder.h"

namespace voice::exporting::test {
namespace {

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

struct LayoutCase {
    incident::Layout layout;
    int channels;
};

class IncidentFiles : public testing::TestWithParam<LayoutCase> {
protected:
    fs::path Base() const { return archive_.Path() / L"kanal"; }
    std::wstring Add(int channel, int second, const Bytes& recording) {
        sources_.push_back(recording);
        return AddRecording(Base() / (L"k" + std::to_wstring(channel)), channel,
                            {2026, 12, 7, 9, 0, second}, recording);
    }
    TempFolder archive_, out_;
    RecordingProgress progress_;
    std::vector<Bytes> sources_;
};

TEST_P(IncidentFiles, CuesAtTrueStartsTracksApartIndexBeside) {
    const LayoutCase c = GetParam();
    const std::vector<std::wstring> lines = {
        Add(1, 0, EncodeRecording(RecordingKind::InvertedRuns, SoundWithRuns(2 * 7860, 1))),
        Add(3, 1, EncodeRecording(RecordingKind::HeaderlessPcm, Bytes(7860, 0xF0))),
        Add(1, 10, EncodeRecording(RecordingKind::PlainRuns, SoundWithRuns(7860, 2))),
    };
    const fs::path target = out_.Path() / L"incident.wav";
    incident::IncidentOptions options;
    options.layout = c.layout;
    const ExportOutcome outcome =
        ExportIncident(lines, target, {Base()}, options, progress_, false);
    EXPECT_EQ(outcome.done, 3u);
    EXPECT_EQ(outcome.failed, 0u);

    const Bytes file = ReadFile(target);
    const auto riff = ParseRiff(file);
    ASSERT_TRUE(riff.has_value());
    const Chunk* fmt = riff->Find("fmt ");
    const Chunk* data = riff->Find("data");
    const Chunk* cue = riff->Find("cue ");
    ASSERT_TRUE(fmt && data && cue);
    EXPECT_EQ(Le(fmt->data, 2, 2), static_cast<std::uint32_t>(c.channels));
    EXPECT_EQ(Le(fmt->data, 4, 4), 7860u);
    // 2 s, then 8 s of silence shortened to 2, then 1 s.
    constexpr std::uint32_t kFrames = 5 * 7860;
    EXPECT_EQ(data->data.size(), kFrames * c.channels * 2u);
    const std::uint32_t expectedCues[] = {0, 7860, 4 * 7860};
    ASSERT_EQ(Le(cue->data, 0, 4), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Le(cue->data, 4 + 24 * i + 20, 4), expectedCues[i]) << "cue " << i;
    const Chunk* labels = riff->Find("LIST");
    ASSERT_TRUE(labels);
    const std::string label(reinterpret_cast<const char*>(ListEntries(*labels)[1].data.data()) + 4);
    EXPECT_EQ(label, "Канал 3 07.12.2026 09:00:01");

    if (c.layout == incident::Layout::Tracks) // channel 3's track: only its own second
        for (std::uint32_t f = 0; f < kFrames; ++f) {
            if (f < 7860 || f >= 2 * 7860) {
                ASSERT_EQ(Le(data->data, f * 4 + 2, 2), 0u) << "frame " << f;
            }
        }

    const auto rows = CsvRows(ReadText(out_.Path() / L"incident.csv"));
    ASSERT_EQ(rows.size(), 4u);
    const char* offsets[] = {"0.000", "1.000", "4.000"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i + 1][0], offsets[i]);
        EXPECT_EQ(FromUtf8(rows[i + 1][5]), HexSha256(sources_[i]));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, IncidentFiles,
                         testing::Values(LayoutCase{incident::Layout::Mono, 1},
                                         LayoutCase{incident::Layout::Stereo, 2},
                                         LayoutCase{incident::Layout::Tracks, 2}));

// A source at another rate lifts the file to the highest; the recorder's are resampled
// and every cue moves with the rate.
// The window plays the mix in parts made as they are reached: joined, they must be the file
// saved, whether a part begins in a recording, in a shortened silence or past the end.
using IncidentPlay = IncidentFiles;
TEST_F(IncidentPlay, PartsOfThePlayedMixJoinIntoTheSavedFile) {
    const std::vector<std::wstring> lines = {
        Add(1, 0, EncodeRecording(RecordingKind::InvertedRuns, SoundWithRuns(2 * 7860, 1))),
        Add(3, 1, EncodeRecording(RecordingKind::HeaderlessPcm, SoundWithRuns(7860, 3))),
        Add(1, 10, EncodeRecording(RecordingKind::PlainRuns, SoundWithRuns(7860, 2))),
    };
    const fs::path target = out_.Path() / L"incident.wav";
    ExportIncident(lines, target, {Base()}, {}, progress_, false);
    const auto riff = ParseRiff(ReadFile(target));
    ASSERT_TRUE(riff.has_value() && riff->Find("data"));

    incident::IncidentPlayback play(lines, {});
    Bytes joined;
    double at = 0;
    for (const double seconds : {1.3, 1.9, 9.0}) { // the last reaches the end
        const incident::StreamPart part = play.Part(at, seconds, 0.2, {});
        EXPECT_DOUBLE_EQ(part.from, at);
        EXPECT_EQ(part.last, seconds == 9.0);
        at = part.to;
        for (const std::int16_t v : part.pcm)
            joined.insert(joined.end(),
                          {static_cast<std::uint8_t>(v),
                           static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8)});
    }
    EXPECT_TRUE(joined == riff->Find("data")->data);
    EXPECT_DOUBLE_EQ(play.Seconds(), 5.0);               // every source looked at by the end
    EXPECT_TRUE(play.Part(7.0, 1.0, 0, {}).pcm.empty()); // past the end
    ASSERT_EQ(play.Pieces().size(), 3u);
    EXPECT_EQ(play.Pieces()[1].line, 1u);
    EXPECT_DOUBLE_EQ(play.Pieces()[2].at, 4.0); // after the silence shortened to 2 s
}

TEST(IncidentRates, TheHighestSourceRateWins) {
    TempFolder archive, out;
    const fs::path base = archive.Path() / L"kanal";
    const std::vector<std::wstring> lines = {
        AddRecording(base, 1, {2026, 12, 7, 9, 0, 0}, Bytes(7860, 0x90)),
        AddRecording(base, 2, {2026, 12, 7, 9, 0, 3},
                     EncodeRecording(RecordingKind::Wav, Bytes(32000, 0x10), {16000, 1, 16}))};
    RecordingProgress progress;
    ExportIncident(lines, out.Path() / L"i.wav", {base}, {}, progress, false);
    const auto riff = ParseRiff(ReadFile(out.Path() / L"i.wav"));
    ASSERT_TRUE(riff.has_value());
    EXPECT_EQ(Le(riff->Find("fmt ")->data, 4, 4), 16000u);
    EXPECT_EQ(Le(riff->Find("cue ")->data, 4 + 24 + 20, 4), 3u * 16000); // gap 2 s kept whole
    EXPECT_EQ(riff->Find("data")->data.size(), 4u * 16000 * 2 * 2);
}

// What the span leaves out and a recording with no sound are counted apart, not failed.
TEST(IncidentOutcome, RecordingsLeftOutAreCountedNotFailed) {
    TempFolder archive, out;
    const fs::path base = archive.Path() / L"kanal";
    const std::vector<std::wstring> lines = {
        AddRecording(base, 1, {2026, 12, 7, 9, 0, 0}, Bytes(7860, 0x90)),
        AddRecording(base, 2, {2026, 12, 7, 9, 0, 9}, EncodeRecording(RecordingKind::Inverted, {})),
        AddRecording(base, 1, {2026, 12, 7, 9, 0, 10}, Bytes(7860, 0x70))};
    incident::IncidentOptions options;
    options.from = DateTimeParts{2026, 12, 7, 9, 0, 8};
    options.to = DateTimeParts{2026, 12, 7, 9, 0, 20};
    RecordingProgress progress;
    const ExportOutcome outcome =
        ExportIncident(lines, out.Path() / L"i.wav", {base}, options, progress, false);
    EXPECT_EQ(outcome.done, 1u);
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(LeftOutText(outcome), L"Не вошли в файл: вне промежутка — 1, без звука — 1.");
}

// Every selected recording has a row, in the order they began, saying what became of it:
// its sound placed from the first sample kept to the end of what sounds, the file's write
// time apart, and why a recording is not in the file. Labels give the first sample's time.
TEST(IncidentIndex, EveryRecordingHasARowSayingWhatBecameOfIt) {
    TempFolder archive, out;
    const fs::path base = archive.Path() / L"kanal";
    Bytes damaged(2 * 7860, 0x90);
    std::copy_n("RIFF\x10\0\0\0WAVX", 12, damaged.begin());
    const auto at = [](int h, int m, int s) { return DateTimeParts{2026, 12, 7, h, m, s}; };
    std::vector<std::wstring> lines = {
        AddRecording(base, 1, at(10, 1, 0), Bytes(5 * 7860, 0x90)),
        AddRecording(base, 2, at(10, 0, 50), damaged),
        AddRecording(base, 3, at(10, 1, 2), Bytes(7860, 0x90)),
        AddRecording(base, 4, at(10, 1, 3),
                     EncodeRecording(RecordingKind::Undecodable, Bytes(9, 1))),
        AddRecording(base, 1, at(10, 1, 30), EncodeRecording(RecordingKind::Inverted, {})),
        AddRecording(base, 2, at(10, 0, 0), Bytes(20 * 7860, 0x70)),
        AddRecording(base, 3, at(9, 0, 0), Bytes(7860, 0x70))};
    fs::remove(PathFromWide(lines[2].substr(80)));
    incident::IncidentOptions options;
    options.from = at(10, 0, 10);
    options.to = at(10, 2, 0);
    RecordingProgress progress;
    const ExportOutcome outcome =
        ExportIncident(lines, out.Path() / L"i.wav", {base}, options, progress, false);
    EXPECT_EQ(outcome.done, 3u);
    EXPECT_EQ(outcome.failed, 2u);

    // channel, start, end, file time (the fixture's lines: a minute after the start), status
    const std::vector<std::vector<std::string>> expected = {
        {"3", "09:00:00", "09:00:01", "09:01:00", "вне промежутка"},
        {"2", "10:00:10", "10:00:20", "10:01:00", "ok"},
        {"2", "10:00:50", "10:00:52", "10:01:50",
         "ok, заголовок WAV повреждён: прочитана как 8-битная без заголовка"},
        {"1", "10:01:00", "10:01:05", "10:02:00", "ok"},
        {"3", "10:01:02", "", "10:02:02", "не удалось открыть запись"},
        {"4", "10:01:03", "", "10:02:03", "вид записи 7: декодер отсутствует"},
        {"1", "10:01:30", "10:01:30", "10:02:30", "без звука"}};
    const auto rows = CsvRows(ReadText(out.Path() / L"i.csv"));
    ASSERT_EQ(rows.size(), expected.size() + 1);
    const auto column = [&](const char* name) { return ColumnOf(rows[0], name); };
    const auto day = [](const std::string& time) {
        return time.empty() ? time : "2026-12-07 " + time;
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& row = rows[i + 1];
        const auto& want = expected[i];
        EXPECT_EQ(row.at(column("channel")), want[0]) << i;
        EXPECT_EQ(row.at(column("start")), day(want[1])) << i;
        EXPECT_EQ(row.at(column("end")), day(want[2])) << i;
        EXPECT_EQ(row.at(column("file_time")), day(want[3])) << i;
        EXPECT_EQ(row.at(column("status")), want[4]) << i;
        EXPECT_EQ(row.at(column("offset_s")).empty(), want[4].rfind("ok", 0) != 0) << i;
    }
    const auto riff = ParseRiff(ReadFile(out.Path() / L"i.wav"));
    ASSERT_TRUE(riff.has_value() && riff->Find("LIST"));
    const std::string label(
        reinterpret_cast<const char*>(ListEntries(*riff->Find("LIST"))[0].data.data()) + 4);
    EXPECT_EQ(label, "Канал 2 07.12.2026 10:00:10");
}

// The recordings are looked at by two threads: whichever takes a line, the outcome lists
// every line in order, the unreadable ones failed and the rest in the file.
TEST(IncidentOutcome, EveryLineReportedInOrderWhicheverThreadLookedAtIt) {
    TempFolder archive, out;
    const fs::path base = archive.Path() / L"kanal";
    std::vector<std::wstring> lines;
    for (int i = 0; i < 30; ++i) {
        lines.push_back(
            AddRecording(base, 1 + i % 4, {2026, 12, 7, 9, i, 0},
                         EncodeRecording(RecordingKind::PlainRuns,
                                         SoundWithRuns(800, static_cast<unsigned>(i)))));
        if (i % 3 == 2)
            fs::remove(PathFromWide(lines.back().substr(80)));
    }
    RecordingProgress progress;
    const ExportOutcome outcome =
        ExportIncident(lines, out.Path() / L"i.wav", {base}, {}, progress, false);
    EXPECT_EQ(outcome.done, 20u);
    EXPECT_EQ(outcome.failed, 10u);
    ASSERT_EQ(outcome.recordings.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(outcome.recordings[i].line, i);
        EXPECT_EQ(outcome.recordings[i].failure.empty(), i % 3 != 2) << i;
    }
}

// Refused or cancelled, the command leaves the folder as it was.
TEST(IncidentGuard, AnExistingIndexOrACancelLeavesNothing) {
    TempFolder archive, out;
    const fs::path base = archive.Path() / L"kanal";
    const std::vector<std::wstring> lines = {
        AddRecording(base, 1, {2026, 12, 7, 9, 0, 0}, Bytes(7860, 0x90))};
    const fs::path target = out.Path() / L"i.wav";
    RecordingProgress progress;
    WriteFile(out.Path() / L"i.csv", Bytes{1});
    EXPECT_THROW(ExportIncident(lines, target, {base}, {}, progress, false), WriteRefused);
    EXPECT_EQ(FileNames(out.Path()), std::vector<std::wstring>{L"i.csv"});
    progress.cancelAfter = 0;
    EXPECT_TRUE(ExportIncident(lines, target, {base}, {}, progress, true).cancelled);
    EXPECT_EQ(FileNames(out.Path()), std::vector<std::wstring>{L"i.csv"});
    // A recording cut short between the two passes cannot be taken back out of the mix.
    progress.cancelAfter.reset();
    progress.beforeItem = [&](std::size_t) {
        WriteFile(PathFromWide(lines[0].substr(80)), Bytes(100, 0x90));
    };
    const ExportOutcome changed = ExportIncident(lines, target, {base}, {}, progress, true);
    EXPECT_EQ(changed.failed, 1u);
    EXPECT_FALSE(changed.fileFailure.empty());
    EXPECT_EQ(FileNames(out.Path()), std::vector<std::wstring>{L"i.csv"});
}

} // namespace
} // namespace voice::exporting::test
