#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "platform/utf8.h"

namespace voice::cli {
namespace {

std::vector<std::string> With(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--channels", "1,3",  "--from",
                                     "2026-12-01", "--to", "2026-12-07"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

TEST(CliOptionsTest, ReadsTheSelectionAndTheCommand) {
    const ParsedArguments parsed = ParseArguments(
        With({"--time-to", "17:00:00", "--order", "size", "--dir", "3=/rec/три", "--dir",
              "1=D:\\REC", "--settings", "my.ini", "--out", "выдача", "--quiet"}));
    ASSERT_TRUE(parsed.options.has_value()) << voice::ToUtf8(parsed.text);
    const CliOptions& o = *parsed.options;
    EXPECT_EQ(o.criteria.channelTicked,
              (std::array<bool, 8>{true, false, true, false, false, false, false, false}));
    EXPECT_EQ(o.criteria.from, (CalendarDate{2026, 12, 1}));
    EXPECT_EQ(o.criteria.to, (CalendarDate{2026, 12, 7}));
    EXPECT_FALSE(o.criteria.fromTime.enabled);
    EXPECT_TRUE(o.criteria.toTime.enabled);
    EXPECT_EQ(o.criteria.toTime.text, L"17:00:00");
    EXPECT_EQ(o.ordering, 3);
    EXPECT_EQ(o.dirs,
              (std::vector<std::pair<int, std::wstring>>{{3, L"/rec/три"}, {1, L"D:\\REC"}}));
    EXPECT_EQ(o.settings, std::optional<std::wstring>(L"my.ini"));
    EXPECT_EQ(o.command, CliCommand::Out);
    EXPECT_EQ(o.target, L"выдача");
    EXPECT_TRUE(o.quiet);

    const auto all = ParseArguments(
        {"--channels", "all", "--from", "2026-01-01", "--to", "2026-01-01", "--merge", "a.wav"});
    ASSERT_TRUE(all.options.has_value());
    EXPECT_EQ(all.options->criteria.channelTicked,
              (std::array<bool, 8>{true, true, true, true, true, true, true, true}));
    EXPECT_EQ(all.options->ordering, 0);
    EXPECT_EQ(all.options->command, CliCommand::Merge);
}

TEST(CliOptionsTest, BadArgumentsExitWithTwoAndSayWhy) {
    struct Case {
        std::vector<std::string> args;
        const wchar_t* says;
    } cases[] = {
        {With({}), L"не одно действие"},
        {With({"--list", "--csv", "a.csv"}), L"не одно действие"},
        {{"--from", "2026-12-01", "--to", "2026-12-07", "--list"}, L"--channels"},
        {With({"--list", "--bogus"}), L"--bogus"},
        {With({"--list", "--order", "name"}), L"Неверное значение"},
        {{"--channels", "9", "--from", "2026-12-01", "--to", "2026-12-07", "--list"}, L"«9»"},
        {{"--channels", "1,,2", "--from", "2026-12-01", "--to", "2026-12-07", "--list"}, L"«1,,2»"},
        {{"--channels", "1", "--from", "1.12.2026", "--to", "2026-12-07", "--list"}, L"ГГГГ-ММ-ДД"},
        // The option and the value, in Russian like every other message.
        {{"--channels", "1", "--from", "2026-02-30", "--to", "2026-12-07", "--list"},
         L"--from: нет такой даты «2026-02-30»"},
        {{"--channels", "1", "--from", "2026-12-01", "--to", "2026-13-01", "--list"},
         L"--to: нет такой даты «2026-13-01»"},
        {With({"--list", "--time-from", "24:00:00"}), L"ЧЧ:ММ:СС"},
        {With({"--list", "--time-to", "9:00"}), L"ЧЧ:ММ:СС"},
        {With({"--list", "--dir", "9=/x"}), L"--dir"},
        {With({"--list", "--dir", "1="}), L"--dir"},
        // No comparison holds for "not a number": it must not pass a range check as a gap.
        {With({"--incident", "i.wav", "--gap", "nan"}), L"--gap"},
        {With({"--incident", "i.wav", "--gap", "NaN"}), L"--gap"},
        {With({"--incident", "i.wav", "--gap", "-nan"}), L"--gap"},
    };
    for (const Case& c : cases) {
        const ParsedArguments parsed = ParseArguments(c.args);
        EXPECT_FALSE(parsed.options.has_value());
        EXPECT_EQ(parsed.exitCode, 2);
        EXPECT_NE(parsed.text.find(c.says), std::wstring::npos) << voice::ToUtf8(parsed.text);
    }
}

TEST(CliOptionsTest, HelpListsEveryOption) {
    const ParsedArguments parsed = ParseArguments({"--help"});
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_EQ(parsed.exitCode, 0);
    for (const wchar_t* option :
         {L"--channels", L"--from", L"--to", L"--time-from", L"--time-to", L"--order",
          L"--settings", L"--dir", L"--list", L"--csv", L"--out", L"--merge", L"--quiet"})
        EXPECT_NE(parsed.text.find(option), std::wstring::npos) << option;
}

} // namespace
} // namespace voice::cli
