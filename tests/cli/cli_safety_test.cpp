// voice-export never writes into the archive, never replaces a file unasked, and says
// what it did even when its index cannot be written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "catalogue/channel_dir_table.h"
#include "cli_archive_fixture.h"
#include "platform/safe_file.h"
#include "recording_encoder.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

namespace voice::cli::test {
namespace {

using exporting::test::Bytes;
using exporting::test::FileNames;
using voice::WideFromPath;
namespace fs = std::filesystem;

fs::path WriteSettings(const fs::path& file,
                       std::initializer_list<std::pair<int, std::string>> entries) {
    ChannelDirTable table;
    for (const auto& [channel, dir] : entries)
        table.SetChannelDirBytes(channel - 1, dir);
    exporting::test::WriteFile(file, Bytes(table.Data().begin(), table.Data().end()));
    return file;
}

using CliSafetyTest = CliArchiveTest;

// Every channel base that is set is protected, searched or not, from the settings file or
// from --dir, whatever the command and however the target is spelt.
TEST_F(CliSafetyTest, NoChannelBaseIsEverWrittenSearchedOrNot) {
    const std::string recording2 = Native(fs::directory_iterator(Base(2) / "QC5")->path());
    const std::string settings = Native(
        WriteSettings(out_.Path() / "BegDir.Ini", {{1, Native(Base(1))}, {2, Native(Base(2))}}));
    const std::vector<std::string> fromSettings = {
        "--channels", "1", "--from", "2026-12-05", "--to", "2026-12-05", "--settings", settings};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = fromSettings;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    const std::vector<std::string> cases[] = {
        Args({"--merge", recording2}, "1"),
        Args({"--merge", recording2, "--force"}, "1"),
        Args({"--out", Native(Base(2) / "QC5")}, "1"),
        Args({"--out", Native(Base(2) / "new" / "deeper")}, "1"),
        Args({"--out", Native(Base(1) / ".." / "ch2" / "x")}, "1"),
        Args({"--csv", Native(Base(3) / "list.csv")}, "1"),
        with({"--merge", recording2, "--force"}), // channel 2 only in the settings file
        with({"--out", Native(Base(2) / "QC5")}),
    };
    const auto before = TreeContents(Root());
    for (const auto& args : cases) {
        const CliRun run = RunVoiceExport(args);
        EXPECT_EQ(run.exitCode, 2) << args[args.size() - 2] << " " << args.back();
        EXPECT_TRUE(Says(run, L"Запись в архив запрещена")) << Dump(run);
    }
    EXPECT_EQ(TreeContents(Root()), before);
}

// An existing --merge or --csv file is refused (2, named) unless --force, which replaces
// it only with a complete new file.
TEST_F(CliSafetyTest, AnExistingFileIsReplacedOnlyWithForceAndOnlyWhenComplete) {
    struct Case {
        const char* option;
        bool force, cancelled;
        int exitCode;
    } cases[] = {
        {"--merge", false, false, 2}, {"--merge", true, false, 0}, {"--merge", true, true, 1},
        {"--csv", false, false, 2},   {"--csv", true, false, 0},   {"--csv", true, true, 1},
    };
    const fs::path target = out_.Path() / "old";
    for (const Case& c : cases) {
        exporting::test::WriteFile(target, Bytes{'o', 'l', 'd'});
        std::vector<std::string> extra = {c.option, Native(target)};
        if (c.force)
            extra.push_back("--force");
        const CliRun run = RunVoiceExport(Args(extra), c.cancelled);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.option << c.force << c.cancelled << Dump(run);
        const bool replaced = exporting::test::ReadFile(target) != Bytes{'o', 'l', 'd'};
        EXPECT_EQ(replaced, c.exitCode == 0) << c.option << c.force << c.cancelled;
        EXPECT_EQ(Says(run, L"«" + WideFromPath(target) + L"» уже существует"), !c.force)
            << Dump(run);
        EXPECT_EQ(FileNames(out_.Path()), std::vector<std::wstring>{L"old"}); // no part file
    }
}

// Relative paths are the caller's, though the search moves the current directory from
// channel to channel: --dir, --settings, its entries and the target.
TEST_F(CliSafetyTest, RelativePathsAreTakenFromTheStartingDirectory) {
    const CliRun absolute = RunVoiceExport(Args({"--list"}, "1,2,3"));
    ASSERT_EQ(absolute.out.size(), 18u);
    WriteSettings(Root() / "rel.ini", {{2, "ch2"}});
    CurrentDirectory inRoot(Root());
    auto with = [](std::vector<std::string> extra) {
        std::vector<std::string> args = {"--channels", "1,2,3",      "--from",     "2026-12-05",
                                         "--to",       "2026-12-05", "--dir",      "1=ch1",
                                         "--dir",      "3=./ch3",    "--settings", "rel.ini"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    EXPECT_EQ(RunVoiceExport(with({"--list"})).out, absolute.out);
    EXPECT_EQ(RunVoiceExport(with({"--out", "handover"})).exitCode, 0);
    EXPECT_EQ(FileNames(Root() / "handover").size(), 19u); // 18 recordings and the index
    EXPECT_EQ(RunVoiceExport(with({"--out", "ch3/x"})).exitCode, 2);
}

#ifndef _WIN32
// The guard judges the directory the search reads: a base spelt through a link in another
// case is the archive, under its real name too.
TEST_F(CliSafetyTest, TheGuardFindsTheArchiveWhereTheSearchFindsIt) {
    exporting::test::TempFolder links;
    fs::create_directory_symlink(Root(), links.Path() / "r-link");
    const std::vector<std::string> common = {
        "--channels", "1",          "--from", "2026-12-05",
        "--to",       "2026-12-05", "--dir",  "1=" + Native(links.Path() / "R-LINK" / "ch1")};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = common;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    EXPECT_EQ(RunVoiceExport(with({"--list"})).out.size(), 6u); // the search finds it
    const std::pair<fs::path, int> cases[] = {
        {Base(1) / "exported", 2},
        {links.Path() / "r-link" / "ch1" / "exported", 2},
        {Base(1) / "QC5" / "new", 2},
        {Root() / "ch10", 0}, // a sibling that only begins like the base
    };
    const auto before = TreeContents(Base(1));
    for (const auto& [target, exitCode] : cases)
        EXPECT_EQ(RunVoiceExport(with({"--out", Native(target)})).exitCode, exitCode) << target;
    EXPECT_EQ(TreeContents(Base(1)), before);
}

// The archive is every folder the search can enter, wherever it is stored and however it
// is reached: a day folder or a recording kept elsewhere through a link, a day folder
// mounted elsewhere, a base that --dir points away from. None of them is written.
TEST_F(CliSafetyTest, TheArchiveReachedByALinkOrAMountIsNeverWritten) {
    exporting::test::TempFolder store;
    fs::create_directories(store.Path() / "QC6");
    fs::create_directory_symlink(store.Path() / "QC6", Base(1) / "QC6");
    exporting::test::WriteFile(store.Path() / "rec.1", Bytes(100, 0x80));
    fs::create_symlink(store.Path() / "rec.1", Base(1) / "QC5" / "QC5A9000.1");
    const fs::path mounted = out_.Path() / "view";
    fs::create_directory(mounted);
    const bool canMount = std::system(("mount --bind '" + Native(Base(1) / "QC5") + "' '" +
                                       Native(mounted) + "' 2>/dev/null")
                                          .c_str()) == 0;
    const std::string settings =
        Native(WriteSettings(out_.Path() / "BegDir.Ini", {{1, Native(Base(1))}}));
    const std::vector<std::vector<std::string>> cases = {
        Args({"--out", Native(store.Path() / "QC6")}, "2"),
        Args({"--merge", Native(store.Path() / "QC6" / "m.wav")}, "2"),
        Args({"--merge", Native(store.Path() / "rec.1"), "--force"}, "1"),
        Args({"--csv", Native(store.Path() / "rec.1"), "--force"}, "2"),
        {"--channels", "2", "--settings", settings, "--dir", "1=" + Native(Base(2)), "--out",
         Native(Base(1) / "x")},
    };
    const auto before = TreeContents(Base(1));
    const auto storeBefore = TreeContents(store.Path());
    for (const auto& args : cases) {
        const CliRun run = RunVoiceExport(args);
        EXPECT_EQ(run.exitCode, 2) << args.back() << Dump(run);
    }
    if (canMount) {
        for (const auto& option : {"--out", "--csv", "--timeline"}) {
            const fs::path target = std::string(option) == "--out" ? mounted : mounted / "f";
            EXPECT_EQ(RunVoiceExport(Args({option, Native(target)}, "2")).exitCode, 2) << option;
        }
        std::system(("umount '" + Native(mounted) + "'").c_str());
    } else {
        std::cerr << "bind mount cases skipped: mounting needs root\n";
    }
    EXPECT_EQ(TreeContents(Base(1)), before);
    EXPECT_EQ(TreeContents(store.Path()), storeBefore);
}

// Only regular files are read as recordings: a pipe named like one never stops a
// command, a link to a device is no endless recording. Each fails and the rest go on.
TEST_F(CliSafetyTest, APipeOrADeviceNamedLikeARecordingFailsAtOnce) {
    ASSERT_EQ(::mkfifo(Native(Base(1) / "QC5" / "QC5A9000.1").c_str(), 0666), 0);
    fs::create_symlink("/dev/zero", Base(1) / "QC5" / "QC5A9100.1");
    const std::pair<const char*, fs::path> commands[] = {
        {"--out", out_.Path() / "out"},
        {"--merge", out_.Path() / "all.wav"},
        {"--csv", out_.Path() / "list.csv"},
    };
    for (const auto& [option, target] : commands) {
        const CliRun run = RunVoiceExport(Args({option, Native(target)}, "1"));
        EXPECT_EQ(run.exitCode, std::string(option) == "--csv" ? 0 : 1) << option << Dump(run);
        EXPECT_TRUE(fs::exists(target)) << option;
    }
}

// Only a regular file is ever replaced: a pipe, a device or a folder in the target's
// place (or the incident index's) is refused up front, --force or not, and so is an
// incident named as its own index. Nothing is written; the pipe stays a pipe.
TEST_F(CliSafetyTest, OnlyARegularFileIsEverReplaced) {
    const fs::path pipe = out_.Path() / "pipe.wav", folder = out_.Path() / "folder.wav",
                   indexPipe = out_.Path() / "i.csv";
    ASSERT_EQ(::mkfifo(Native(pipe).c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo(Native(indexPipe).c_str(), 0666), 0);
    fs::create_directory(folder);
    const std::pair<std::vector<std::string>, std::wstring> cases[] = {
        {{"--incident", Native(pipe), "--force"}, L"«" + WideFromPath(pipe) + L"» — не обычный"},
        {{"--merge", Native(pipe), "--force"}, L"«" + WideFromPath(pipe) + L"» — не обычный"},
        {{"--merge", Native(folder)}, L"«" + WideFromPath(folder) + L"» — не обычный"},
        {{"--csv", Native(pipe), "--force"}, L"не обычный"},
        {{"--timeline", Native(pipe), "--force"}, L"не обычный"},
        {{"--incident", Native(out_.Path() / "i.wav"), "--force"},
         L"«" + WideFromPath(indexPipe) + L"» — не обычный"},
        {{"--incident", Native(out_.Path() / "x.CSV")}, L"указатель"},
    };
    const std::vector<std::wstring> before = FileNames(out_.Path());
    for (const auto& [extra, says] : cases) {
        const CliRun run = RunVoiceExport(Args(extra, "1"));
        EXPECT_EQ(run.exitCode, 2) << Dump(run);
        EXPECT_TRUE(Says(run, says)) << Dump(run);
        EXPECT_EQ(FileNames(out_.Path()), before) << Dump(run);
        EXPECT_EQ(fs::symlink_status(pipe).type(), fs::file_type::fifo);
        EXPECT_EQ(fs::symlink_status(indexPipe).type(), fs::file_type::fifo);
    }
}

// A file that cannot be written is a failure (1) whatever the command, and a settings
// "file" that is a folder is named as one; nothing is left behind.
TEST_F(CliSafetyTest, OneFailureOneExitStatus) {
    for (int minute = 0; minute < 40; ++minute)
        Add(3, {2026, 12, 5, 20, minute, 0}, Bytes(400, 0x80));
    const fs::path folder = out_.Path() / "full";
    fs::create_directory(folder);
    std::vector<CliRun> runs;
    {
        exporting::test::FileSizeLimit limit(2000);
        for (const char* option : {"--merge", "--csv", "--timeline"})
            runs.push_back(RunVoiceExport(Args({option, Native(folder / "f")}, "3")));
    }
    for (const CliRun& run : runs) {
        EXPECT_EQ(run.exitCode, 1) << Dump(run);
        EXPECT_TRUE(Says(run, L"нет места на диске")) << Dump(run);
    }
    EXPECT_TRUE(FileNames(folder).empty());
    const CliRun settings = RunVoiceExport({"--channels", "3", "--from", "2026-12-05", "--to",
                                            "2026-12-05", "--settings", Native(folder), "--list"});
    EXPECT_EQ(settings.exitCode, 2);
    EXPECT_TRUE(Says(settings, L"это папка")) << Dump(settings);
}

// A relative entry of the settings file that no longer fits once made absolute would
// leave the guard and the search reading different folders: the run stops, naming it.
TEST_F(CliSafetyTest, ASettingsEntryThatCannotBeMadeAbsoluteStopsTheRun) {
    const std::string deep(200, 'd');
    fs::create_directories(Root() / deep);
    CurrentDirectory here(Root() / deep);
    const std::string settings =
        Native(WriteSettings(out_.Path() / "BegDir.Ini", {{3, std::string(120, 'r')}}));
    const CliRun run = RunVoiceExport({"--channels", "3", "--from", "2026-12-05", "--to",
                                       "2026-12-05", "--settings", settings, "--list"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Says(run, L"Каталог канала 3")) << Dump(run);
}

// When the index cannot be written every failure is still named, with the system's
// reason, and so is every file written. The system's limit on a file's size stands in for
// a full disk: small recordings fit, the index of many does not, nor one large recording.
TEST_F(CliSafetyTest, AnIndexThatCannotBeWrittenStillReportsEverything) {
    for (int minute = 0; minute < 40; ++minute)
        Add(3, {2026, 12, 5, 20, minute, 0}, Bytes(10, 0x80));
    Add(3, {2026, 12, 5, 21, 0, 0}, EncodeRecording(RecordingKind::Undecodable, Bytes(50, 1)));
    Add(3, {2026, 12, 5, 22, 0, 0}, Bytes(12000, 0x80));
    const fs::path folder = out_.Path() / "out";
    CliRun run;
    {
        exporting::test::FileSizeLimit limit(9000);
        run = RunVoiceExport(Args({"--out", Native(folder)}, "3"));
    }

    EXPECT_EQ(run.exitCode, 1) << Dump(run);
    EXPECT_TRUE(Says(run, L"декодер отсутствует")) << Dump(run);
    EXPECT_TRUE(Says(run, L"ошибка записи файла: нет места на диске")) << Dump(run);
    EXPECT_TRUE(
        Says(run, L"указатель в папку «" + WideFromPath(folder) + L"»: нет места на диске"));
    const std::vector<std::wstring> files = FileNames(folder);
    EXPECT_EQ(files.size(), 46u); // 6 + 40 recordings; no index, no part file
    for (const std::wstring& name : files)
        EXPECT_TRUE(Says(run, WideFromPath(folder / voice::PathFromWide(name))));
}
#endif

} // namespace
} // namespace voice::cli::test
