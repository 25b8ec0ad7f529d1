#include <gtest/gtest.h>

#include "catalogue/channel_dir_table.h"
#include "catalogue/recording_search.h"
#include "cli_test_support.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"
#include "export_fixture.h"
#include "recording_encoder.h"
#include "timeline/heard_marks.h"
#include "timeline/timeline_model.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#ifdef _WIN32
#include <windows.h>

#include "catalogue/win32_directory_enumerator.h"
#else
#include "cli/posix_directory_enumerator.h"
#endif

namespace voice::cli::test {
namespace {

using voice::ToUtf8;
using voice::WideFromPath;
using exporting::test::AddRecording;
using exporting::test::Bytes;
using exporting::test::FileNames;
using exporting::test::TempFolder;
namespace fs = std::filesystem;

// The search exactly as the window runs it on this platform.
std::vector<std::wstring> WindowSearch(const SearchCriteria& criteria, const ChannelDirTable& table,
                                       int ordering) {
    TSortStr lineList([ordering] { return ordering; });
    const fs::path current = fs::current_path();
#ifdef _WIN32
    RunRecordingSearch(criteria, table, lineList, current.wstring(), [] {});
#else
    PosixDirectoryEnumerator enumerator;
    RunRecordingSearch(
        criteria, table, lineList, WindowsFormOfCurrentDirectory(), [] {}, enumerator);
#endif
    return lineList.Lines();
}

std::string Native(const fs::path& path) {
    return voice::NameBytes(WideFromPath(path));
}

// Channels 1 and 3 over 5 to 7 December 2026, every stored form among them.
class CliRunTest : public testing::Test {
protected:
    CliRunTest() {
        const RecordingKind kinds[] = {RecordingKind::Wav,         RecordingKind::HeaderlessPcm,
                                       RecordingKind::Inverted,    RecordingKind::InvertedRuns,
                                       RecordingKind::SwappedRuns, RecordingKind::PlainRuns};
        int n = 0;
        for (int channel : {1, 3})
            for (int day = 5; day <= 7; ++day)
                for (int hour : {8, 12, 17}) {
                    const DateTimeParts start{2026, 12, day, hour, 7 * n % 60, 0};
                    Add(channel, start,
                        EncodeRecording(kinds[n % 6], SoundWithRuns(1000 + 97 * n, n)));
                    ++n;
                }
    }
    fs::path Base(int channel) const { return archive_.Path() / ("ch" + std::to_string(channel)); }
    void Add(int channel, const DateTimeParts& start, const Bytes& content) {
        const std::wstring name = exporting::test::RecordingName(start, channel);
        AddRecording(Base(channel) / name.substr(0, 3), channel, start, content);
    }
    std::vector<std::string> Args(std::vector<std::string> extra) const {
        std::vector<std::string> args = {"--channels", "1,3",
                                         "--from",     "2026-12-05",
                                         "--to",       "2026-12-07",
                                         "--dir",      "1=" + Native(Base(1)),
                                         "--dir",      "3=" + Native(Base(3))};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    ChannelDirTable Table() const {
        ChannelDirTable table;
        table.SetChannelDirBytes(0, Native(Base(1)));
        table.SetChannelDirBytes(2, Native(Base(3)));
        return table;
    }

    TempFolder archive_, out_;
};

TEST_F(CliRunTest, ListIsTheWindowsListForEveryOrdering) {
    SearchCriteria criteria;
    criteria.channelTicked = {true, false, true};
    criteria.from = {2026, 12, 5};
    criteria.to = {2026, 12, 7};
    const char* orderings[] = {"start", "end", "channel", "size"};
    for (int k = 0; k < 4; ++k) {
        const CliRun run = RunVoiceExport(Args({"--order", orderings[k], "--list"}));
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.size(), 18u);
        EXPECT_EQ(run.out, WindowSearch(criteria, Table(), k)) << orderings[k];
    }
    // The time window as the window's two time fields.
    criteria.fromTime = {true, L"09:00:00"};
    criteria.toTime = {true, L"17:00:00"};
    const CliRun run = RunVoiceExport(
        Args({"--order", "size", "--time-from", "09:00:00", "--time-to", "17:00:00", "--list"}));
    EXPECT_EQ(run.out.size(), 6u);
    EXPECT_EQ(run.out, WindowSearch(criteria, Table(), 3));
}

TEST_F(CliRunTest, SettingsFileAndDirOverride) {
    ChannelDirTable table;
    table.SetChannelDirBytes(0, Native(Base(1)));
    table.SetChannelDirBytes(2, "/nowhere");
    const fs::path settings = out_.Path() / "BegDir.Ini";
    exporting::test::WriteFile(settings, Bytes(table.Data().begin(), table.Data().end()));
    const std::vector<std::string> common = {"--channels", "1,3",           "--from",
                                             "2026-12-05", "--to",          "2026-12-07",
                                             "--settings", Native(settings)};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = common;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    EXPECT_EQ(RunVoiceExport(with({"--list"})).out.size(), 9u); // channel 3 is elsewhere
    EXPECT_EQ(RunVoiceExport(with({"--dir", "3=" + Native(Base(3)), "--list"})).out.size(), 18u);
}

TEST_F(CliRunTest, FailuresRefusalsAndBadSettingsGiveTheirExitCodes) {
    Add(3, {2026, 12, 6, 20, 0, 0}, EncodeRecording(RecordingKind::Undecodable, Bytes(50, 1)));
    const fs::path outDir = out_.Path() / "out";
    const fs::path shortIni = out_.Path() / "short.ini";
    exporting::test::WriteFile(shortIni, Bytes(2047, 0));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const wchar_t* says; // in the last line on stderr
    } cases[] = {
        {Args({"--out", Native(outDir), "--quiet"}), 1, L"декодер отсутствует"},
        {Args({"--merge", Native(out_.Path() / "all.wav"), "--quiet"}), 1, L"декодер отсутствует"},
        {Args({"--csv", Native(out_.Path() / "list.csv")}), 0, L"строк 19"},
        {Args({"--out", Native(Base(3) / "export")}), 2, L"Запись в архив запрещена"},
        // Nothing could be searched: 1, as a run that did not do its work.
        {Args({"--settings", Native(out_.Path() / "missing.ini"), "--list"}), 1, L"missing.ini"},
        {Args({"--settings", Native(shortIni), "--list"}), 2, L"2048"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunVoiceExport(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[c.args.size() - 2];
        ASSERT_FALSE(run.err.empty());
        EXPECT_NE(run.err.back().find(c.says), std::wstring::npos) << ToUtf8(run.err.back());
    }
    EXPECT_FALSE(fs::exists(Base(3) / "export"));
    EXPECT_EQ(FileNames(outDir).size(), 19u); // 18 recordings and the index
    EXPECT_EQ(FileNames(out_.Path()),
              (std::vector<std::wstring>{L"all.wav", L"list.csv", L"out", L"short.ini"}));
}

// The window stops at such a name; so does the command line, naming it: a day folder
// anywhere in a base, a recording in a searched day folder ("Q2U", "R2U": 30 February).
TEST_F(CliRunTest, AnImpossibleDateStopsTheSearchNamingWhere) {
    const fs::path cases[] = {Base(3) / "R2U", Base(1) / "QC6" / "Q2UA0000.1"};
    for (const fs::path& odd : cases) {
        if (odd.has_extension())
            exporting::test::WriteFile(odd, Bytes(10, 0x80));
        else
            fs::create_directories(odd);
        const CliRun run = RunVoiceExport(Args({"--list"}));
        EXPECT_EQ(run.exitCode, 1) << Dump(run);
        EXPECT_TRUE(run.out.empty());
        ASSERT_EQ(run.err.size(), 1u) << Dump(run);
        EXPECT_NE(run.err[0].find(L"«" + WideFromPath(odd) + L"» означает несуществующую дату"),
                  std::wstring::npos)
            << Dump(run);
        fs::remove(odd);
    }
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(CliRunTest, TimelineDrawsEachRecordingOnceAtItsPlaceAndNeverOverwrites) {
    const std::vector<std::wstring> listed = RunVoiceExport(Args({"--list"})).out;
    ASSERT_EQ(listed.size(), 18u);
    const fs::path svg = out_.Path() / "incident.svg";
    const CliRun run = RunVoiceExport(Args({"--timeline", Native(svg), "--quiet"}));
    ASSERT_EQ(run.exitCode, 0);
    const std::string text = ReadText(svg);

    // 5 to 7 December right of the lane labels, 720 pixels a day.
    const timeline::Seconds axisStart = SecondsOf({2026, 12, 5, 0, 0, 0});
    const double perPixel = 86400.0 / 720;
    const std::regex bar("<rect class=\"bar[a-z ]*\" data-line=\"(\\d+)\" x=\"([0-9.]+)\"");
    std::vector<int> seen(listed.size(), 0);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), bar);
         it != std::sregex_iterator(); ++it) {
        const auto line = static_cast<std::size_t>(std::stoi((*it)[1]));
        ASSERT_LT(line, listed.size());
        ++seen[line];
        const timeline::LineTimes times = timeline::ReadLineTimes(listed[line]);
        EXPECT_NEAR(std::stod((*it)[2]), 90 + (times.start - axisStart) / perPixel, 0.001) << line;
    }
    EXPECT_EQ(seen, std::vector<int>(listed.size(), 1));
    EXPECT_NE(text.find("data-channel=\"1\""), std::string::npos);
    EXPECT_NE(text.find("data-channel=\"3\""), std::string::npos);

    // Never over an existing file, never into the archive; nothing left behind either way.
    const CliRun again = RunVoiceExport(Args({"--timeline", Native(svg)}));
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_EQ(ReadText(svg), text);
    // "-": the same picture on standard output, and no file.
    EXPECT_EQ(RunVoiceExport(Args({"--timeline", "-"})).outBytes, text);
    EXPECT_EQ(RunVoiceExport(Args({"--timeline", Native(Base(1) / "t.svg")})).exitCode, 2);
    EXPECT_FALSE(fs::exists(Base(1) / "t.svg"));
    EXPECT_EQ(FileNames(out_.Path()), std::vector<std::wstring>{L"incident.svg"});
}

// This user's heard marks live under the folder the platform gives for them.
class HeardMarksHome {
public:
    explicit HeardMarksHome(const fs::path& folder) {
#ifdef _WIN32
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", folder.c_str());
#else
        ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
#endif
    }
};

TEST_F(CliRunTest, UnheardLeavesOutTheRecordingsHeardToTheEnd) {
    const HeardMarksHome home(out_.Path());
    const std::vector<std::wstring> listed = RunVoiceExport(Args({"--list"})).out;
    ASSERT_EQ(listed.size(), 18u);
    EXPECT_EQ(RunVoiceExport(Args({"--unheard", "--list"})).out, listed); // no marks yet

    timeline::HeardMarks marks;
    marks.Mark(listed[2]);
    marks.Mark(listed[17]);
    ASSERT_TRUE(timeline::SaveHeardMarks(marks, timeline::HeardMarksPath()));
    std::vector<std::wstring> expected = listed;
    expected.erase(expected.begin() + 17);
    expected.erase(expected.begin() + 2);
    EXPECT_EQ(RunVoiceExport(Args({"--unheard", "--list"})).out, expected);
    EXPECT_EQ(RunVoiceExport(Args({"--list"})).out, listed); // only when asked
}

// Marks that cannot be trusted would list recordings already heard: the run stops, naming
// the file. Nothing is said of a file not there yet.
TEST_F(CliRunTest, UnheardStopsAtMarksItCannotUse) {
    const HeardMarksHome home(out_.Path());
    const fs::path file = timeline::HeardMarksPath();
    const struct {
        const char* text; // none: a folder in the file's place
        std::uintmax_t size;
        const wchar_t* says;
    } cases[] = {{"x\n", 2, L"Повреждён"},
                 {nullptr, 0, L"это папка"},
                 {"", (256u << 20) + 1, L"больше 256 МБ"}};
    fs::create_directories(file.parent_path());
    for (const auto& c : cases) {
        if (c.text) {
            std::ofstream(file) << c.text;
            fs::resize_file(file, c.size);
        } else {
            fs::create_directories(file);
        }
        const CliRun run = RunVoiceExport(Args({"--unheard", "--list"}));
        EXPECT_EQ(run.exitCode, 1) << Dump(run);
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(Says(run, L"«" + WideFromPath(file) + L"»") && Says(run, c.says)) << Dump(run);
        fs::remove_all(file);
    }
    EXPECT_EQ(RunVoiceExport(Args({"--unheard", "--list"})).out.size(), 18u); // none: all
}

} // namespace
} // namespace voice::cli::test
