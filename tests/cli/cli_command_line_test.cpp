// voice-export as command-line users expect it: what it does when it cannot search, where
// its outputs go, Ctrl+C, and output that standard tools can take apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "catalogue/channel_dir_table.h"
#include "catalogue/local_time.h"
#include "cli/system_platform.h"
#include "cli_archive_fixture.h"
#include "export_fixture.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"
#include "recording_encoder.h"
#include "timeline/heard_marks.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <thread>
#endif

namespace voice::cli::test {
namespace {

using exporting::test::Bytes;
using exporting::test::FileNames;
using exporting::test::TempFolder;
using voice::FromUtf8;
using voice::ToUtf8;
using voice::WideFromPath;
namespace fs = std::filesystem;

using CliCommandLineTest = CliArchiveTest;

// Exit 1 with a message when nothing could be searched; 0 with nothing only when the
// search ran and found nothing.
TEST_F(CliCommandLineTest, ASearchThatCannotRunIsNotAnEmptyResult) {
    const std::string missing = Native(out_.Path() / "nowhere");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::size_t lines;
        std::wstring says; // on stderr; empty: nothing there
    } cases[] = {
        {{"--channels", "1", "--from", "2026-12-05", "--to", "2026-12-05", "--dir", "1=" + missing,
          "--list"},
         1,
         0,
         L"Каталог канала 1"},
        // One channel of two is missing: the other is listed, the run still fails.
        {Args({"--dir", "2=" + missing, "--list"}), 1, 6, L"«" + FromUtf8(missing) + L"»"},
        {Args({"--settings", Native(out_.Path() / "none.ini"), "--list"}), 1, 0, L"none.ini"},
        {{"--channels", "1", "--from", "2026-12-05", "--to", "2026-12-05", "--list"},
         1,
         0,
         L"не задан"},
        {Args({"--list"}, "1,2", "2026-12-06"), 1, 0, L"--from 2026-12-06 позже --to 2026-12-05"},
        {Args({"--csv", Native(out_.Path() / "x.csv")}, "1,2", "2026-12-06"), 1, 0, L"позже"},
        // A search that ran and found nothing is neither done nor failed.
        {Args({"--list"}, "1,2", "2026-12-06", "2026-12-07"), 3, 0, L"ничего не записано"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunVoiceExport(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << Dump(run);
        EXPECT_EQ(run.out.size(), c.lines) << Dump(run);
        if (!c.says.empty())
            EXPECT_TRUE(Says(run, c.says)) << Dump(run);
        else
            EXPECT_TRUE(run.err.empty()) << Dump(run);
    }
}

// Nothing to write is one case with one status whatever the command: 3, said, and
// nothing written. Days without recordings, a time window past every recording, a span
// that misses them all.
TEST_F(CliCommandLineTest, NothingToWriteIsOneStatusForEveryCommand) {
    const std::string target = Native(out_.Path() / "f");
    const std::vector<std::string> empty[] = {
        Args({"--list"}, "1,2,3", "2026-12-06", "2026-12-06"),
        Args({"--csv", "-"}, "1,2,3", "2026-12-06", "2026-12-06"),
        Args({"--csv", target}, "1,2,3", "2026-12-06", "2026-12-06"),
        Args({"--timeline", target}, "1,2,3", "2026-12-06", "2026-12-06"),
        Args({"--out", target}, "1,2,3", "2026-12-06", "2026-12-06"),
        Args({"--merge", target, "--time-from", "23:00:00"}),
        Args({"--incident", target, "--time-from", "23:00:00"}),
        Args({"--incident", target, "--span", "2026-12-05 23:00:00", "2026-12-05 23:30:00"}),
    };
    for (const auto& args : empty) {
        const CliRun run = RunVoiceExport(args);
        EXPECT_EQ(run.exitCode, 3) << Dump(run);
        EXPECT_TRUE(Says(run, L"ичего не записано")) << Dump(run);
        EXPECT_TRUE(run.out.empty() && run.outBytes.empty()) << Dump(run);
        EXPECT_TRUE(FileNames(out_.Path()).empty()) << Dump(run);
    }
}

// "-" is standard output for --csv, an empty name is a bad argument, --version.
TEST_F(CliCommandLineTest, DestinationsAndVersion) {
    const fs::path file = out_.Path() / "list.csv";
    ASSERT_EQ(RunVoiceExport(Args({"--csv", Native(file)})).exitCode, 0);
    const CliRun piped = RunVoiceExport(Args({"--csv", "-"}));
    EXPECT_EQ(piped.exitCode, 0) << Dump(piped);
    EXPECT_EQ(piped.outBytes, exporting::test::ReadText(file));
    EXPECT_EQ(FileNames(out_.Path()), std::vector<std::wstring>{L"list.csv"}); // no file "-"

    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const wchar_t* says;
    } cases[] = {
        {Args({"--out", ""}), 2, L"--out: ожидается имя"},
        {Args({"--merge", ""}), 2, L"--merge: ожидается имя"},
        {Args({"--csv", ""}), 2, L"--csv: ожидается имя"},
        {Args({"--merge", "-"}), 2, L"--merge: стандартный вывод"},
        {Args({"--settings", "", "--list"}), 2, L"--settings"},
        {Args({"--list", "--paths", "unix"}), 2, L"Неверное значение"},
        {Args({"--list", "--gap", "3"}), 2, L"только вместе с --incident"},
        {Args({"--incident", "i.wav", "--span", "2026-12-07 10:00:00", "2026-12-07 09:00:00"}), 2,
         L"раньше конца"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunVoiceExport(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(Says(run, c.says)) << Dump(run);
    }
    EXPECT_EQ(FileNames(out_.Path()), std::vector<std::wstring>{L"list.csv"});

    const CliRun version = RunVoiceExport({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    ASSERT_EQ(version.out.size(), 1u);
    EXPECT_TRUE(version.out[0].starts_with(L"voice-export ")) << ToUtf8(version.out[0]);
    EXPECT_NE(version.out[0].find_first_of(L"0123456789"), std::wstring::npos);
}

// Ctrl+C stops every command, the list and the saved list too, and nothing is
// written or printed.
TEST_F(CliCommandLineTest, CtrlCStopsEveryCommand) {
    const std::vector<std::string> commands[] = {
        {"--list"},
        {"--csv", "-"},
        {"--csv", Native(out_.Path() / "list.csv")},
        {"--out", Native(out_.Path() / "out")},
        {"--merge", Native(out_.Path() / "all.wav")},
        {"--incident", Native(out_.Path() / "incident.wav")},
    };
    for (const auto& command : commands) {
        const CliRun run = RunVoiceExport(Args(command), true);
        EXPECT_EQ(run.exitCode, 1) << command[0];
        EXPECT_TRUE(Says(run, L"Прервано")) << Dump(run);
        EXPECT_TRUE(run.out.empty() && run.outBytes.empty()) << command[0];
        EXPECT_TRUE(FileNames(out_.Path()).empty()) << command[0];
    }
}

// A terminal: the progress line is drawn.
class TerminalConsole final : public Console {
public:
    void Out(std::wstring_view) override {}
    void OutBytes(std::string_view) override {}
    std::wstring OutFailure() const override { return {}; }
    void Err(std::wstring_view) override {}
    bool ErrIsTerminal() const override { return true; }
    void Progress(std::wstring_view text) override { shown.emplace_back(text); }
    void EndProgress() override {}
    bool Showed(const std::wstring& start) const {
        return std::any_of(shown.begin(), shown.end(),
                           [&](const std::wstring& line) { return line.starts_with(start); });
    }
    std::vector<std::wstring> shown;
};

// Long work shows where it is on a terminal, every stage of it: the search, the
// merge's first pass, the writing; --quiet shows nothing.
TEST_F(CliCommandLineTest, ProgressOnATerminalCoversEveryStage) {
    struct Case {
        std::vector<std::string> command;
        std::vector<std::wstring> stages;
    } cases[] = {
        {{"--merge", Native(out_.Path() / "all.wav")},
         {L"Поиск: ", L"[проверка 12/12] ", L"[12/12] "}},
        {{"--out", Native(out_.Path() / "out")}, {L"Поиск: ", L"[1/12] "}},
        {{"--csv", "-"}, {L"Поиск: ", L"[проверка 1/12] "}},
        {{"--merge", Native(out_.Path() / "quiet.wav"), "--quiet"}, {}},
    };
    for (const Case& c : cases) {
        TerminalConsole console;
        const std::atomic<bool> cancel{false};
        ASSERT_EQ(RunArguments(Args(c.command), *MakeSystemPlatform(), console, cancel), 0);
        for (const std::wstring& stage : c.stages)
            EXPECT_TRUE(console.Showed(stage)) << ToUtf8(stage);
        EXPECT_EQ(console.shown.empty(), c.stages.empty());
    }
}

// The saved list gives each recording the duration its index row gives, for every
// stored form.
TEST_F(CliCommandLineTest, TheListsDurationIsTheIndexs) {
    Bytes cut = EncodeRecording(RecordingKind::Wav, SoundWithRuns(3000, 1));
    cut.resize(cut.size() - 999); // a WAV cut short: its header claims more
    Add(1, {2026, 12, 5, 23, 0, 0}, cut);
    const CliRun list = RunVoiceExport(Args({"--csv", "-"}));
    const CliRun index = RunVoiceExport(Args({"--out", Native(out_.Path()), "--quiet"}));
    ASSERT_EQ(index.exitCode, 0) << Dump(index);
    // source -> duration, header left out
    auto durations = [](const std::string& csv, std::size_t sourceColumn) {
        std::map<std::string, std::string> seconds;
        for (const auto& row : CsvRows(csv))
            seconds[row.at(sourceColumn)] = row.at(3);
        seconds.erase("source");
        return seconds;
    };
    const auto byList = durations(list.outBytes, 5);
    const auto byIndex = durations(exporting::test::ReadText(IndexIn(out_.Path())), 6);
    EXPECT_EQ(byList.size(), 13u);
    EXPECT_EQ(byList, byIndex);
    for (const auto& [source, seconds] : byList)
        EXPECT_NE(seconds.find('.'), std::string::npos) << source << " " << seconds;
}

#ifndef _WIN32
// A line break in a folder's name cannot split a listed line.
TEST_F(CliCommandLineTest, ALineBreakInANameIsWrittenOut) {
    const fs::path odd = out_.Path() / "two\nlines\tand\x1b";
    fs::create_directories(odd);
    fs::rename(Base(1), odd / "ch1");
    const CliRun run =
        RunVoiceExport({"--channels", "1", "--from", "2026-12-05", "--to", "2026-12-05", "--dir",
                        "1=" + Native(odd / "ch1"), "--list"});
    EXPECT_EQ(run.exitCode, 0) << Dump(run);
    ASSERT_EQ(run.out.size(), 6u);
    for (const std::wstring& line : run.out) {
        EXPECT_EQ(line.find_first_of(L"\n\r\t\x1b"), std::wstring::npos);
        EXPECT_NE(line.find(L"two\\nlines\\tand\\x1B"), std::wstring::npos) << ToUtf8(line);
    }
}

// A base folder named in code page 1251 and a day folder holding a byte that is no text:
// every read opens the very file; everything shown writes such a byte out as "\xNN".
TEST_F(CliCommandLineTest, NamesThatAreNoTextAreReadAsGivenAndShownWrittenOut) {
    const fs::path base = out_.Path() / "\xca\xe0\xed\xe0\xeb"
                                        "1";
    const std::string day =
        voice::NameBytes(exporting::test::RecordingName({2026, 12, 5, 0, 0, 0}, 1).substr(0, 3));
    fs::rename(Base(1), base);
    fs::rename(base / day, base / (day + "\xff"));
    ChannelDirTable table;
    table.SetChannelDirBytes(0, Native(base)); // as a settings file written here holds it
    const fs::path settings = out_.Path() / "BegDir.Ini";
    exporting::test::WriteFile(settings, Bytes(table.Data().begin(), table.Data().end()));
    const std::string dir = "1=" + Native(base), out = Native(out_.Path() / "out");
    const std::vector<std::string> cases[] = {{"--dir", dir, "--list"},
                                              {"--dir", dir, "--paths", "native", "--list"},
                                              {"--settings", Native(settings), "--csv", "-"},
                                              {"--dir", dir, "--out", out}};
    for (auto options : cases) {
        options.insert(options.begin(),
                       {"--channels", "1", "--from", "2026-12-05", "--to", "2026-12-05"});
        const CliRun run = RunVoiceExport(options);
        EXPECT_EQ(run.exitCode, 0) << Dump(run);
        std::string text = run.outBytes;
        for (const std::wstring& line : run.out)
            text += ToUtf8(line) + "\n";
        if (options[8] == "--out")
            text = exporting::test::ReadText(IndexIn(out_.Path() / "out"));
        EXPECT_NE(text.find("\\xCA\\xE0\\xED\\xE0\\xEB1"), std::string::npos) << text;
        EXPECT_NE(text.find(day + "\\xFF"), std::string::npos) << text;
        EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << text; // U+FFFD
    }
    EXPECT_EQ(FileNames(out_.Path() / "out").size(), 7u); // six recordings and the index
}

// The zone as the C library reads it, for a scope; the tests run without TZ.
struct ZoneScope {
    explicit ZoneScope(const char* zone) { Set(zone); }
    ~ZoneScope() { Set(nullptr); }
    static void Set(const char* zone) {
        zone ? ::setenv("TZ", zone, 1) : ::unsetenv("TZ");
        ::tzset();
    }
};

// Written just after the clock went forward, in summer and in winter, listed in whatever
// season this runs: the index, the saved list and the picture give each end as the clock
// showed it then, and a heard mark outlives a change of the clock.
TEST_F(CliCommandLineTest, EndsAreTheClockOfTheirMomentAndHeardMarksOutliveAClockChange) {
    const ZoneScope zone("Europe/Berlin");
    ::setenv("XDG_DATA_HOME", Native(out_.Path()).c_str(), 1);
    const std::pair<DateTimeParts, std::string> written[] = {
        // in UTC; the end shown
        {{2026, 3, 29, 1, 30, 0}, "03-29 03:30:00"},
        {{2026, 7, 1, 8, 0, 10}, "07-01 10:00:10"},
        {{2026, 11, 2, 8, 0, 20}, "11-02 09:00:20"}};
    for (const auto& [utc, end] : written) {
        const fs::path file =
            Add(1, {2026, utc.month, utc.day, 0, 0, 0},
                EncodeRecording(RecordingKind::HeaderlessPcm, SoundWithRuns(800, 1)));
        const timespec at{static_cast<std::time_t>(SecondsOf(utc)), 0};
        const timespec times[] = {at, at};
        ASSERT_EQ(::utimensat(AT_FDCWD, Native(file).c_str(), times, 0), 0);
    }
    const auto run = [&](std::vector<std::string> options) {
        return RunVoiceExport(Args(options, "1", "2026-03-29", "2026-11-02"));
    };
    ASSERT_EQ(run({"--out", Native(out_.Path()), "--quiet"}).exitCode, 0);
    const std::string svg = run({"--timeline", "-"}).outBytes;
    for (const auto& rows : {CsvRows(exporting::test::ReadText(IndexIn(out_.Path()))),
                             CsvRows(run({"--csv", "-"}).outBytes)}) {
        ASSERT_EQ(rows.size(), 4u);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(rows[i + 1].at(2), "2026-" + written[i].second);
    }
    for (const auto& [utc, end] : written) // the tooltip's "dd.mm.yyyy hh:nn:ss"
        EXPECT_NE(svg.find("Конец: " + end.substr(3, 2) + '.' + end.substr(0, 2) + ".2026" +
                           end.substr(5)),
                  std::string::npos)
            << end;

    const std::vector<std::wstring> listed = run({"--list"}).out;
    timeline::HeardMarks marks;
    for (const std::wstring& line : listed)
        marks.Mark(line);
    ASSERT_TRUE(timeline::SaveHeardMarks(marks, timeline::HeardMarksPath()));
    ZoneScope::Set("Asia/Tokyo"); // another offset in force now moves every listed end
    EXPECT_NE(run({"--list"}).out, listed);
    EXPECT_TRUE(run({"--unheard", "--list"}).out.empty());
}

// An incident sounds each recording at its true instant: the local time of its name in the
// zone then in force, across the spring and the autumn change; a name the autumn clock
// showed twice is the one its file was written after. By default silences longer than
// 2 s are shortened to 2 s; only a gap of 0 is real time, and any other is at least a sample.
TEST_F(CliCommandLineTest, AnIncidentSoundsEachRecordingAtItsTrueInstant) {
    const ZoneScope zone("Europe/Berlin");
    struct Recording {
        int channel;
        DateTimeParts name;    // local
        int seconds;           // of sound
        DateTimeParts written; // UTC
    };
    const auto add = [&](const Recording& r) {
        const fs::path file = Add(r.channel, r.name, Bytes(r.seconds * 7860, 0x90));
        const timespec at{static_cast<std::time_t>(SecondsOf(r.written)), 0};
        const timespec times[] = {at, at};
        ASSERT_EQ(::utimensat(AT_FDCWD, Native(file).c_str(), times, 0), 0);
    };
    // Spring: 01:59:50 CET is 00:59:50 UTC, 03:00:05 CEST 01:00:05: 15 s apart, overlapping.
    add({1, {2026, 3, 29, 1, 59, 50}, 25, {2026, 3, 29, 1, 0, 15}});
    add({2, {2026, 3, 29, 3, 0, 5}, 5, {2026, 3, 29, 1, 0, 10}});
    // Autumn: 01:59 CEST is 23:59 UTC; "02:30" written at 01:30:10 UTC is the CET one;
    // 03:00 CET is 02:00 UTC.
    add({1, {2026, 10, 25, 1, 59, 0}, 60, {2026, 10, 25, 0, 0, 0}});
    add({2, {2026, 10, 25, 2, 30, 0}, 10, {2026, 10, 25, 1, 30, 10}});
    add({3, {2026, 10, 25, 3, 0, 0}, 5, {2026, 10, 25, 2, 0, 5}});
    struct Case {
        const char* day;
        std::vector<std::string> gap; // the option, if any
        std::vector<std::string> offsets, utcOffsets;
        std::uint64_t frames;
    } cases[] = {
        {"2026-03-29", {}, {"0.000", "15.000"}, {"+01:00", "+02:00"}, 25 * 7860},
        {"2026-10-25",
         {"--gap", "0"},
         {"0.000", "5460.000", "7260.000"},
         {"+02:00", "+01:00", "+01:00"},
         7265 * 7860},
        {"2026-10-25",
         {},
         {"0.000", "62.000", "74.000"},
         {"+02:00", "+01:00", "+01:00"},
         79 * 7860},
        {"2026-10-25",
         {"--gap", "0.00005"},
         {"0.000", "60.000", "70.000"},
         {"+02:00", "+01:00", "+01:00"},
         75 * 7860 + 2},
    };
    for (const Case& c : cases) {
        const fs::path target = out_.Path() / "i.wav";
        std::vector<std::string> extra = {"--incident", Native(target), "--force", "--quiet"};
        extra.insert(extra.end(), c.gap.begin(), c.gap.end());
        const CliRun run = RunVoiceExport(Args(extra, "1,2,3", c.day, c.day));
        ASSERT_EQ(run.exitCode, 0) << Dump(run);
        const auto rows = CsvRows(exporting::test::ReadText(out_.Path() / "i.csv"));
        ASSERT_EQ(rows.size(), c.offsets.size() + 1) << c.day;
        const auto column = [&](const char* name) {
            return exporting::test::ColumnOf(rows[0], name);
        };
        for (std::size_t i = 0; i < c.offsets.size(); ++i) {
            EXPECT_EQ(rows[i + 1].at(column("offset_s")), c.offsets[i]) << c.day << " " << i;
            EXPECT_EQ(rows[i + 1].at(column("utc_offset")), c.utcOffsets[i]) << c.day << " " << i;
        }
        const auto riff = exporting::test::ParseRiff(exporting::test::ReadFile(target));
        ASSERT_TRUE(riff && riff->Find("data"));
        EXPECT_EQ(riff->Find("data")->data.size(), c.frames * 4) << c.day; // 16-bit stereo
    }
}

// With --paths native the index names the sources as this system does, so that
// sha256sum checks them; so does the list.
TEST_F(CliCommandLineTest, NativePathsLetTheSystemsToolsCheckTheIndex) {
    const CliRun list = RunVoiceExport(Args({"--paths", "native", "--list"}));
    ASSERT_EQ(list.out.size(), 12u);
    for (const std::wstring& line : list.out)
        EXPECT_NE(line.find(L"  " + WideFromPath(Root()) + L"/ch"), std::wstring::npos)
            << ToUtf8(line);

    const fs::path folder = out_.Path() / "out";
    ASSERT_EQ(
        RunVoiceExport(Args({"--paths", "native", "--out", Native(folder), "--quiet"})).exitCode,
        0);
    const fs::path indexFile = IndexIn(folder);
    std::string sums;
    const auto rows = CsvRows(exporting::test::ReadText(indexFile));
    for (std::size_t i = 1; i < rows.size(); ++i)
        sums += rows[i].at(8) + "  " + rows[i].at(6) + "\n" + rows[i].at(9) + "  " +
                Native(folder / rows[i].at(7)) + "\n";
    exporting::test::WriteFile(out_.Path() / "sums", Bytes(sums.begin(), sums.end()));
    const std::string command =
        "sha256sum --quiet --strict -c '" + Native(out_.Path() / "sums") + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << sums;
}

// Output that did not reach standard output is a failure, said on stderr, for every
// command that writes there.
TEST_F(CliCommandLineTest, OutputThatCannotBeWrittenFailsTheRun) {
    const std::vector<std::string> commands[] = {
        Args({"--list"}), Args({"--csv", "-"}), Args({"--timeline", "-"}), {"--help"}};
    const std::pair<const char*, std::string> outputs[] = {{">/dev/full", "нет места на диске"},
                                                           {">&-", "он закрыт"}};
    const std::string errFile = Native(out_.Path() / "err");
    for (const auto& command : commands)
        for (const auto& [redirect, reason] : outputs) {
            std::string line = std::string("'") + VOICE_EXPORT_PROGRAM + "'";
            for (const std::string& arg : command)
                line += " '" + arg + "'";
            const int status =
                std::system((line + ' ' + redirect + " 2>'" + errFile + "'").c_str());
            const std::string err = exporting::test::ReadText(errFile);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << line << err;
            EXPECT_NE(err.find("Не удалось записать в стандартный вывод: " + reason + "."),
                      std::string::npos)
                << line << err;
        }
}

// Whether signal is waiting to be delivered to process.
bool SignalPending(pid_t process, int signal) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    std::string line;
    std::uint64_t pending = 0;
    while (std::getline(status, line))
        if (line.starts_with("SigPnd:") || line.starts_with("ShdPnd:"))
            pending |= std::stoull(line.substr(7), nullptr, 16);
    return (pending >> (signal - 1)) & 1;
}

// A second Ctrl+C ends the program at once, even while it waits on its output.
TEST_F(CliCommandLineTest, ASecondCtrlCEndsTheProgramAtOnce) {
    for (int minute = 0; minute < 59; ++minute)
        for (int hour = 0; hour < 14; ++hour)
            Add(1, {2026, 12, 5, hour, minute, 0}, Bytes(10, 0x80));
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const std::vector<std::string> args = Args({"--list"});
    std::vector<char*> argv = {const_cast<char*>(VOICE_EXPORT_PROGRAM)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // Spawned, not forked: a fork of this process (with the export's hashing threads)
    // may stop in the child on a lock another thread held.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned =
        ::posix_spawn(&child, VOICE_EXPORT_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_EQ(spawned, 0);
    ::close(output[1]);
    // Nobody reads: the list fills the pipe and the program waits on its write. The
    // first Ctrl+C asks it to stop after that write; the second ends it there.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto waitFor = [&](const std::function<bool()>& done) {
        for (;; std::this_thread::sleep_for(std::chrono::milliseconds(5)))
            if (done())
                return true;
            else if (std::chrono::steady_clock::now() > until)
                return false;
    };
    // Full: the program waits in its write (a pipe's pages are not filled to the byte).
    EXPECT_TRUE(waitFor([&] {
        std::ifstream wchan("/proc/" + std::to_string(child) + "/wchan");
        std::string where;
        std::getline(wchan, where);
        int queued = 0;
        return where.find("pipe_write") != std::string::npos &&
               ::ioctl(output[0], FIONREAD, &queued) == 0 && queued > 0;
    }));
    ::kill(child, SIGINT);
    // Signals of one kind do not queue: the second is sent once the first is taken.
    EXPECT_TRUE(waitFor([&] { return !SignalPending(child, SIGINT); }));
    ::kill(child, SIGINT);
    int status = 0;
    if (!waitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; })) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        ADD_FAILURE() << "still running 30 s after the second Ctrl+C";
    }
    ::close(output[0]);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
}
// However the program is stopped while it writes (the terminal closed, a second Ctrl+C
// or SIGTERM, kill -9), the file it was writing is gone with it.
TEST_F(CliCommandLineTest, AProgramStoppedMidWriteLeavesNothing) {
    for (int hour = 0; hour < 6; ++hour)
        Add(1, {2026, 12, 5, hour, 0, 0}, Bytes(40'000'000, 0x80));
    const std::vector<int> cases[] = {
        {SIGHUP, SIGHUP}, {SIGINT, SIGINT}, {SIGTERM, SIGTERM}, {SIGKILL}};
    const fs::path folder = out_.Path() / "merged";
    fs::create_directory(folder);
    const std::vector<std::string> args = Args({"--merge", Native(folder / "all.wav")}, "1");
    std::vector<char*> argv = {const_cast<char*>(VOICE_EXPORT_PROGRAM)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    auto writingInto = [&](pid_t child) {
        std::error_code error;
        for (const auto& fd :
             fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", error))
            if (fs::read_symlink(fd.path(), error).string().starts_with(Native(folder) + "/"))
                return true;
        return false;
    };
    for (const auto& signals : cases) {
        pid_t child = 0;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        ASSERT_EQ(
            ::posix_spawn(&child, VOICE_EXPORT_PROGRAM, &actions, nullptr, argv.data(), environ),
            0);
        posix_spawn_file_actions_destroy(&actions);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!writingInto(child) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        for (int signal : signals) {
            while (SignalPending(child, signal) && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ::kill(child, signal);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(FileNames(folder).empty()) << signals.front();
    }
}
#endif

} // namespace
} // namespace voice::cli::test
