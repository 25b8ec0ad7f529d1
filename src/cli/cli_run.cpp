#include "cli/cli_run.h"

#include <filesystem>

#include "catalogue/recording_search.h"
#include "catalogue/sort_str.h"
#include "export/export_file.h"
#include "platform/app_error.h"
#include "timeline/heard_marks.h"
#include "timeline/timeline_svg_file.h"

namespace voice::cli {
namespace {

namespace fs = std::filesystem;
using exporting::ExportFile;
using exporting::PathFromWide;
using exporting::WideFromPath;

constexpr wchar_t kDefaultSettings[] = L"BegDir.Ini";

class SettingsError {
public:
    explicit SettingsError(std::wstring text) : text(std::move(text)) {}
    std::wstring text;
};

// The window's table file, read only: voice-export never writes the settings. A missing
// default file gives the default table, as the window starts with; a named file must
// be there, and either must be exactly the table's size.
ChannelDirTable LoadTable(const CliOptions& options, CliPlatform& platform) {
    ChannelDirTable table;
    const bool named = options.settings.has_value();
    const fs::path path = PathFromWide(named ? *options.settings : kDefaultSettings);
    ExportFile file(path, ExportFile::Mode::Read);
    if (!file.IsOpen()) {
        if (named)
            throw SettingsError(L"Не удалось открыть файл настроек «" + WideFromPath(path) + L"».");
    } else {
        ChannelDirTable::Bytes bytes{};
        const std::uint64_t length = file.Length();
        if (length != bytes.size() || file.Read(bytes) != bytes.size())
            throw SettingsError(L"Файл настроек «" + WideFromPath(path) +
                                L"» повреждён: ожидается 2048 байт, а в нём " +
                                std::to_wstring(length) + L".");
        table.Data() = bytes;
    }
    for (const auto& [channel, dir] : options.dirs) {
        if (!platform.StoreChannelDir(table, channel - 1, dir))
            throw SettingsError(L"Каталог канала " + std::to_wstring(channel) + L" «" + dir +
                                L"» не помещается в таблицу каналов (не длиннее 255 байт в "
                                L"кодировке Windows-1251).");
    }
    return table;
}

class ConsoleProgress final : public exporting::ExportProgress {
public:
    ConsoleProgress(Console& console, bool show, const std::atomic<bool>& cancel)
        : console_(console), show_(show && console.ErrIsTerminal()), cancel_(cancel) {}
    ~ConsoleProgress() override { End(); }
    void OnItem(std::size_t index, std::size_t total, const std::wstring& source) override {
        if (!show_)
            return;
        console_.Progress(L"[" + std::to_wstring(index + 1) + L"/" + std::to_wstring(total) +
                          L"] " + source);
        shown_ = true;
    }
    bool CancelRequested() const override { return cancel_.load(); }
    void End() {
        if (shown_)
            console_.EndProgress();
        shown_ = false;
    }

private:
    Console& console_;
    bool show_;
    bool shown_ = false;
    const std::atomic<bool>& cancel_;
};

// The bases of the channels searched: an export never goes below any of them.
std::vector<fs::path> ArchiveBases(const CliOptions& options, const ChannelDirTable& table,
                                   DirectoryEnumerator& enumerator) {
    std::vector<fs::path> bases;
    for (int k = 0; k < ChannelDirTable::kEntryCount; ++k)
        if (options.criteria.channelTicked[static_cast<std::size_t>(k)])
            bases.push_back(PathFromWide(enumerator.AnsiToWideText(table.GetChannelDirBytes(k))));
    return bases;
}

int Report(const exporting::ExportOutcome& outcome, const std::wstring& what, Console& console,
           bool quiet) {
    for (const std::wstring& error : outcome.errors)
        console.Err(L"Ошибка: " + error);
    if (!outcome.fileFailure.empty())
        console.Err(outcome.fileFailure);
    const bool nothingWritten = exporting::WrittenFiles(outcome, {}).empty();
    if (outcome.cancelled)
        console.Err(nothingWritten ? std::wstring(L"Прервано, ничего не записано.")
                                   : L"Прервано: записано " + std::to_wstring(outcome.done) + L".");
    if (!outcome.fileFailure.empty())
        return kExitRefused;
    if (!quiet && !(outcome.cancelled && nothingWritten))
        console.Err(what + std::to_wstring(outcome.done) + L", с ошибками: " +
                    std::to_wstring(outcome.failed) +
                    (outcome.indexFile.empty()
                         ? L"."
                         : L". Указатель: " + WideFromPath(outcome.indexFile)));
    return outcome.failed > 0 || outcome.cancelled ? kExitSomeFailed : kExitDone;
}

} // namespace

int RunArguments(const std::vector<std::string>& args, CliPlatform& platform, Console& console,
                 const std::atomic<bool>& cancel) {
    const ParsedArguments parsed = ParseArguments(args);
    if (parsed.options)
        return RunCli(*parsed.options, platform, console, cancel);
    if (parsed.exitCode == 0)
        console.Out(parsed.text);
    else
        console.Err(parsed.text);
    return parsed.exitCode;
}

int RunCli(const CliOptions& options, CliPlatform& platform, Console& console,
           const std::atomic<bool>& cancel) {
    try {
        const ChannelDirTable table = LoadTable(options, platform);
        SearchCriteria criteria = options.criteria;
        criteria.timeSeparator = platform.TimeSeparator();
        for (TimeBound* bound : {&criteria.fromTime, &criteria.toTime})
            if (bound->enabled)
                bound->text[2] = bound->text[5] = criteria.timeSeparator;

        const int ordering = options.ordering;
        TSortStr lineList([ordering] { return ordering; });
        RunRecordingSearch(
            criteria, table, lineList, platform.CurrentDirectory(), [] {}, platform.Enumerator());
        std::vector<std::wstring> lines = lineList.Lines();
        if (options.unheard) {
            bool damaged = false;
            const timeline::HeardMarks heard =
                timeline::LoadHeardMarks(timeline::HeardMarksPath(), damaged);
            std::erase_if(lines, [&](const std::wstring& line) { return heard.Heard(line); });
        }
        const auto bases = ArchiveBases(options, table, platform.Enumerator());
        const fs::path target = PathFromWide(options.target);
        ConsoleProgress progress(console, !options.quiet, cancel);

        switch (options.command) {
        case CliCommand::List:
            for (const std::wstring& line : lines)
                console.Out(line);
            return kExitDone;
        case CliCommand::Csv:
            exporting::SaveListCsv(lines, target, bases);
            if (!options.quiet)
                console.Err(L"Список сохранён: строк " + std::to_wstring(lines.size()) + L".");
            return kExitDone;
        case CliCommand::Out: {
            const auto outcome =
                exporting::ExportRecordings(lines, target, bases, platform.Now(), progress);
            progress.End();
            return Report(outcome, L"Выгружено записей: ", console, options.quiet);
        }
        case CliCommand::Timeline: {
            const auto midnight = [](const CalendarDate& d) {
                return timeline::LocalSeconds(d.year, d.month, d.day, 0, 0, 0);
            };
            timeline::SaveTimelineSvg(
                lines, midnight(criteria.from), midnight(criteria.to),
                timeline::DayWindowOf(criteria.fromTime.enabled, criteria.fromTime.text,
                                      criteria.toTime.enabled, criteria.toTime.text),
                target, bases);
            if (!options.quiet)
                console.Err(L"Временная шкала сохранена: записей " + std::to_wstring(lines.size()) +
                            L".");
            return kExitDone;
        }
        case CliCommand::Merge: {
            const auto outcome = exporting::MergeRecordings(lines, target, bases, progress);
            progress.End();
            return Report(outcome, L"Объединено записей: ", console, options.quiet);
        }
        }
        return kExitDone;
    } catch (const SettingsError& error) {
        console.Err(error.text);
    } catch (const exporting::ExportRefused& refused) {
        console.Err(refused.Text());
    } catch (const AppError& error) {
        // As the window's error box shows it: a full stop after a letter or digit.
        std::wstring text = error.Text();
        if (!text.empty() && text.back() > L'.')
            text += L'.';
        console.Err(text);
    }
    return kExitRefused;
}

} // namespace voice::cli
