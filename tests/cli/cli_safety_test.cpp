// voice-export never writes into the archive, never replaces a file unasked, and says
// what it did even when its index cannot be written.
#include <gtest/gtest.h>

#include "catalogue/channel_dir_table.h"
#include "cli_test_support.h"
#include "export/export_file.h"
#include "export/utf8.h"
#include "export_fixture.h"
#include "recording_encoder.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace voice::cli::test {
namespace {

using exporting::ToUtf8;
using exporting::WideFromPath;
using exporting::test::Bytes;
using exporting::test::FileNames;
using exporting::test::ReadFile;
using exporting::test::TempFolder;
namespace fs = std::filesystem;

std::string Native(const fs::path& path) {
    return ToUtf8(WideFromPath(path));
}

bool Says(const CliRun& run, const std::wstring& text) {
    for (const std::wstring& line : run.err)
        if (line.find(text) != std::wstring::npos)
            return true;
    return false;
}

std::string Dump(const CliRun& run) {
    std::string text;
    for (const std::wstring& line : run.err)
        text += ToUtf8(line) + "\n";
    return text;
}

// Channels 1, 2 and 3 on 5 and 6 December 2026.
class CliSafetyTest : public testing::Test {
protected:
    CliSafetyTest() {
        int n = 0;
        for (int channel : {1, 2, 3})
            for (int day : {5, 6})
                for (int hour : {9, 15}) {
                    const DateTimeParts start{2026, 12, day, hour, n, 0};
                    Add(channel, start,
                        EncodeRecording(n % 2 ? RecordingKind::PlainRuns : RecordingKind::Wav,
                                        SoundWithRuns(800 + 31 * n, n)));
                    ++n;
                }
    }
    fs::path Root() const { return archive_.Path(); }
    fs::path Base(int channel) const { return Root() / ("ch" + std::to_string(channel)); }
    fs::path Add(int channel, const DateTimeParts& start, const Bytes& content) {
        const std::wstring name = exporting::test::RecordingName(start, channel);
        const fs::path dir = Base(channel) / name.substr(0, 3);
        exporting::test::AddRecording(dir, channel, start, content);
        return dir / name;
    }
    // The first recording of a channel, and its day folder.
    fs::path FirstRecording(int channel) const {
        for (const auto& day : fs::directory_iterator(Base(channel)))
            for (const auto& file : fs::directory_iterator(day.path()))
                return file.path();
        return {};
    }
    // Every channel's folder is given; only `channels` are searched.
    std::vector<std::string> Args(const std::string& channels,
                                  std::vector<std::string> extra) const {
        std::vector<std::string> args = {"--channels", channels,
                                         "--from",     "2026-12-05",
                                         "--to",       "2026-12-06",
                                         "--dir",      "1=" + Native(Base(1)),
                                         "--dir",      "2=" + Native(Base(2)),
                                         "--dir",      "3=" + Native(Base(3))};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    TempFolder archive_, out_;
};

// Item: every channel base that is set is protected, searched or not, from the settings
// file or from --dir, whatever the command and however the target is spelt.
TEST_F(CliSafetyTest, NoChannelBaseIsEverWrittenSearchedOrNot) {
    ChannelDirTable table;
    table.SetChannelDirBytes(0, Native(Base(1)));
    table.SetChannelDirBytes(1, Native(Base(2)));
    const fs::path settings = out_.Path() / "BegDir.Ini";
    exporting::test::WriteFile(settings, Bytes(table.Data().begin(), table.Data().end()));
    const std::string recording2 = Native(FirstRecording(2));
    const std::string day2 = Native(FirstRecording(2).parent_path());
    const std::vector<std::string> onlyChannel1FromSettings = {
        "--channels", "1",          "--from",     "2026-12-05",
        "--to",       "2026-12-06", "--settings", Native(settings)};
    auto with = [](std::vector<std::string> args, std::vector<std::string> extra) {
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    const std::vector<std::string> cases[] = {
        Args("1", {"--merge", recording2}),
        Args("1", {"--merge", recording2, "--force"}),
        Args("1", {"--out", day2}),
        Args("1", {"--out", Native(Base(2) / "new" / "deeper")}),
        Args("1", {"--out", Native(Base(1) / ".." / "ch2" / "x")}),
        Args("1", {"--csv", Native(Base(3) / "list.csv")}),
        Args("1,3", {"--csv", Native(Base(3))}),
        // Channel 2 only in the settings file, not searched.
        with(onlyChannel1FromSettings, {"--merge", recording2, "--force"}),
        with(onlyChannel1FromSettings, {"--out", day2}),
    };
    const auto before = TreeContents(Root());
    for (const auto& args : cases) {
        const CliRun run = RunVoiceExport(args);
        EXPECT_EQ(run.exitCode, 2) << args[args.size() - 2] << " " << args.back();
        EXPECT_TRUE(Says(run, L"Запись в архив запрещена")) << Dump(run);
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_EQ(TreeContents(Root()), before);
}

// Item: an existing --merge or --csv file is refused (2, named) unless --force, which
// replaces it only with a complete new file.
TEST_F(CliSafetyTest, AnExistingFileIsReplacedOnlyWithForceAndOnlyWhenComplete) {
    struct Case {
        const char* option;
        const char* name;
        bool force;
        bool cancelled;
        int exitCode;
        bool replaced;
    } cases[] = {
        {"--merge", "all.wav", false, false, 2, false},
        {"--merge", "all.wav", true, false, 0, true},
        {"--merge", "all.wav", true, true, 1, false},
        {"--csv", "list.csv", false, false, 2, false},
        {"--csv", "list.csv", true, false, 0, true},
        {"--csv", "list.csv", true, true, 1, false},
    };
    for (const Case& c : cases) {
        const fs::path target = out_.Path() / c.name;
        exporting::test::WriteFile(target, Bytes{'o', 'l', 'd'});
        std::vector<std::string> extra = {c.option, Native(target), "--quiet"};
        if (c.force)
            extra.push_back("--force");
        const CliRun run = RunVoiceExport(Args("1,3", extra), c.cancelled);
        const std::string label =
            std::string(c.option) + (c.force ? " --force" : "") + (c.cancelled ? " cancelled" : "");
        EXPECT_EQ(run.exitCode, c.exitCode) << label << "\n" << Dump(run);
        const Bytes now = ReadFile(target);
        EXPECT_EQ(now != Bytes({'o', 'l', 'd'}), c.replaced) << label;
        if (!c.replaced && !c.cancelled)
            EXPECT_TRUE(Says(run, L"«" + WideFromPath(target) + L"» уже существует")) << Dump(run);
        if (c.replaced && std::string(c.option) == "--merge")
            EXPECT_TRUE(exporting::test::ParseRiff(now).has_value());
        EXPECT_EQ(FileNames(out_.Path()), std::vector<std::wstring>{WideFromPath(c.name)})
            << label; // no part file left
        fs::remove(target);
    }
}

// Item: relative paths are the caller's, though the search moves the current directory
// from channel to channel.
TEST_F(CliSafetyTest, RelativePathsAreTakenFromTheStartingDirectory) {
    const CliRun absolute = RunVoiceExport(Args("1,2,3", {"--list"}));
    ASSERT_EQ(absolute.out.size(), 12u);
    ChannelDirTable table;
    table.SetChannelDirBytes(1, "ch2");
    exporting::test::WriteFile(Root() / "rel.ini", Bytes(table.Data().begin(), table.Data().end()));
    CurrentDirectory inRoot(Root());
    const std::vector<std::string> relative = {
        "--channels", "1,2,3", "--from", "2026-12-05", "--to",       "2026-12-06",
        "--dir",      "1=ch1", "--dir",  "3=./ch3",    "--settings", "rel.ini"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = relative;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    const CliRun list = RunVoiceExport(with({"--list"}));
    EXPECT_EQ(list.exitCode, 0) << Dump(list);
    EXPECT_EQ(list.out, absolute.out);
    const CliRun out = RunVoiceExport(with({"--out", "handover", "--quiet"}));
    EXPECT_EQ(out.exitCode, 0) << Dump(out);
    EXPECT_EQ(FileNames(Root() / "handover").size(), 13u); // 12 recordings and the index
    // A relative target inside a channel is refused like any other spelling.
    EXPECT_EQ(RunVoiceExport(with({"--out", "ch3/x"})).exitCode, 2);
}

#ifndef _WIN32
// Item: the guard judges the directory the search reads: a base spelt through a link in
// another case is the archive, and so is the archive under its real name.
TEST_F(CliSafetyTest, TheGuardFindsTheArchiveWhereTheSearchFindsIt) {
    TempFolder links;
    fs::create_directory_symlink(Root(), links.Path() / "r-link");
    const std::string spelt = Native(links.Path() / "R-LINK" / "ch1");
    const std::vector<std::string> common = {"--channels", "1",          "--from", "2026-12-05",
                                             "--to",       "2026-12-06", "--dir",  "1=" + spelt};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = common;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    EXPECT_EQ(RunVoiceExport(with({"--list"})).out.size(), 4u); // the search finds it
    struct Case {
        fs::path target;
        int exitCode;
    } cases[] = {
        {Base(1) / "exported", 2},
        {links.Path() / "r-link" / "ch1" / "exported", 2},
        {Base(1) / "QC5" / "new", 2},
        {Root() / "ch10", 0}, // a sibling that only begins like the base
    };
    const auto before = TreeContents(Base(1));
    for (const Case& c : cases) {
        const CliRun run = RunVoiceExport(with({"--out", Native(c.target), "--quiet"}));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.target << "\n" << Dump(run);
    }
    EXPECT_EQ(TreeContents(Base(1)), before);
}

// Item: when the index cannot be written, every failure is still named, and so is every
// file written. The system's size limit stands in for a full disk: the recordings' small
// files fit, the index of many of them does not.
TEST_F(CliSafetyTest, AnIndexThatCannotBeWrittenStillReportsEverything) {
    for (int minute = 0; minute < 40; ++minute)
        Add(3, {2026, 12, 6, 20, minute, 0}, Bytes(10, 0x80));
    Add(3, {2026, 12, 6, 21, 0, 0}, EncodeRecording(RecordingKind::Undecodable, Bytes(50, 1)));
    Add(3, {2026, 12, 6, 22, 0, 0}, Bytes(8000, 0x80)); // its WAV passes the limit
    const fs::path folder = out_.Path() / "out";
    CliRun run;
    {
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = 4096;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        run = RunVoiceExport(Args("3", {"--out", Native(folder)}));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_EQ(run.exitCode, 1) << Dump(run);
    EXPECT_TRUE(Says(run, L"декодер отсутствует")) << Dump(run);
    EXPECT_TRUE(Says(run, L"ошибка записи файла: нет места на диске")) << Dump(run);
    EXPECT_TRUE(Says(run, L"указатель в папку «" + WideFromPath(folder) + L"»: нет места на диске"))
        << Dump(run);
    const std::vector<std::wstring> files = FileNames(folder);
    EXPECT_EQ(files.size(), 44u); // 4 + 40 recordings; no index, no part file
    for (const std::wstring& name : files)
        EXPECT_TRUE(Says(run, WideFromPath(folder / exporting::PathFromWide(name))))
            << ToUtf8(name);
}
#endif

} // namespace
} // namespace voice::cli::test
