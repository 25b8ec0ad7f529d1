#include "cli/cli_run.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "catalogue/line_columns.h"
#include "catalogue/local_time.h"
#include "catalogue/recording_search.h"
#include "catalogue/sort_str.h"
#include "cli/cli_text.h"
#include "export/archive_guard.h"
#include "export/incident_export.h"
#include "platform/app_error.h"
#include "platform/safe_file.h"
#include "timeline/heard_marks.h"
#include "timeline/timeline_svg_file.h"

namespace voice::cli {
namespace {

namespace fs = std::filesystem;
using voice::FileStream;
using voice::PathFromWide;
using voice::WideFromPath;

constexpr wchar_t kDefaultSettings[] = L"BegDir.Ini";

// The command ends here, with this status and text.
class Stop {
public:
    Stop(int exitCode, std::wstring text) : exitCode(exitCode), text(std::move(text)) {}
    int exitCode;
    std::wstring text;
};

// Ctrl+C during the search.
class Interrupted {};

std::wstring OutputFailureText(const Console& console) {
    const std::wstring failure = console.OutFailure();
    return failure.empty() ? failure
                           : L"Не удалось записать в стандартный вывод: " + failure + L".";
}

// Output cut short is a failed run, however much of it got through.
void CheckOutput(const Console& console) {
    std::wstring failure = OutputFailureText(console);
    if (!failure.empty())
        throw Stop(kExitSomeFailed, std::move(failure));
}

struct LoadedTable {
    ChannelDirTable table;     // what the search reads: the file's, then --dir
    ChannelDirTable fileTable; // the file's alone: its bases are the archive too
    bool fromFile = false;
    std::wstring file; // the settings file, absolute
};

// The window's table file, read only: voice-export never writes the settings. A missing
// default file gives the default table, as the window starts with; a named file must be
// there, and either must be exactly the table's size.
LoadedTable LoadTable(const CliOptions& options, CliPlatform& platform) {
    LoadedTable loaded;
    const bool named = options.settings.has_value();
    loaded.file = platform.AbsolutePath(named ? *options.settings : kDefaultSettings);
    const fs::path path = PathFromWide(loaded.file);
    FileStream file(path, FileStream::Mode::Read);
    if (!file.IsOpen()) {
        if (named && !voice::FileExists(path))
            throw Stop(kExitSomeFailed,
                       L"Файл настроек «" + loaded.file + L"» не найден: искать негде.");
        if (named)
            throw Stop(kExitRefused, L"Не удалось открыть файл настроек «" + loaded.file + L"»: " +
                                         voice::SystemErrorText(file.Error()) + L".");
    } else {
        ChannelDirTable::Bytes bytes{};
        const std::uint64_t length = file.Length();
        if (length != bytes.size() || file.Read(bytes) != bytes.size())
            throw Stop(kExitRefused, L"Файл настроек «" + loaded.file +
                                         L"» повреждён: ожидается 2048 байт, а в нём " +
                                         std::to_wstring(length) + L".");
        loaded.table.Data() = bytes;
        loaded.fromFile = true;
        // The file's own relative entries too: the search would look each up from where
        // the channel before it left the current directory.
        const ChannelDirTable untouched;
        for (int k = 0; k < ChannelDirTable::kEntryCount; ++k) {
            const std::string entry = loaded.table.GetChannelDirBytes(k);
            if (entry.empty() || entry == untouched.GetChannelDirBytes(k))
                continue;
            const std::wstring text = platform.Enumerator().AnsiToWideText(entry);
            const std::wstring absolute = platform.AbsolutePath(text);
            // Never two views of one channel: the guard and the search read one folder.
            if (absolute != text && !platform.StoreChannelDir(loaded.table, k, absolute))
                throw Stop(kExitRefused, L"Каталог канала " + std::to_wstring(k + 1) + L" «" +
                                             absolute + L"» из файла настроек «" + loaded.file +
                                             L"» не помещается в таблицу каналов (не длиннее "
                                             L"255 байт в кодировке Windows-1251).");
        }
        loaded.fileTable = loaded.table;
    }
    for (const auto& [channel, dir] : options.dirs) {
        // Absolute before anything runs: the search moves the current directory.
        const std::wstring absolute = platform.AbsolutePath(dir);
        if (!platform.StoreChannelDir(loaded.table, channel - 1, absolute))
            throw Stop(kExitRefused, L"Каталог канала " + std::to_wstring(channel) + L" «" +
                                         absolute +
                                         L"» не помещается в таблицу каналов (не длиннее 255 "
                                         L"байт в кодировке Windows-1251).");
    }
    return loaded;
}

class ConsoleProgress final : public exporting::ExportProgress {
public:
    ConsoleProgress(Console& console, bool show, const std::atomic<bool>& cancel)
        : console_(console), show_(show && console.ErrIsTerminal()), cancel_(cancel) {}
    ~ConsoleProgress() override { End(); }
    void OnItem(std::size_t index, std::size_t total, const std::wstring& source) override {
        Show(L"[" + std::to_wstring(index + 1) + L"/" + std::to_wstring(total) + L"] " + source);
    }
    void OnPreparing(std::size_t index, std::size_t total, const std::wstring& source) override {
        Show(L"[проверка " + std::to_wstring(index + 1) + L"/" + std::to_wstring(total) + L"] " +
             source);
    }
    void Searching(const std::wstring& directory) { Show(L"Поиск: " + directory); }
    bool CancelRequested() const override { return cancel_.load(); }
    void End() {
        if (shown_)
            console_.EndProgress();
        shown_ = false;
    }

private:
    void Show(const std::wstring& text) {
        if (!show_)
            return;
        console_.Progress(EscapeControls(text));
        shown_ = true;
    }

    Console& console_;
    bool show_;
    bool shown_ = false;
    const std::atomic<bool>& cancel_;
};

// The search's walker as the platform gives it, stopping at Ctrl+C and showing where the
// search is.
class WatchedEnumerator final : public DirectoryEnumerator {
public:
    WatchedEnumerator(DirectoryEnumerator& inner, ConsoleProgress& progress)
        : inner_(inner), progress_(progress) {}
    bool ChangeDirectory(const std::wstring& path) override {
        Check();
        progress_.Searching(path);
        return inner_.ChangeDirectory(path);
    }
    bool ExpandPath(std::wstring_view name, std::wstring& fullPath) override {
        return inner_.ExpandPath(name, fullPath);
    }
    void ListDirectory(std::wstring_view pattern,
                       const std::function<void(const DirectoryEntry&)>& each) override {
        inner_.ListDirectory(pattern, [&](const DirectoryEntry& entry) {
            Check();
            each(entry);
        });
    }
    std::uint64_t ToLocalFileTime(std::uint64_t utcFileTime) override {
        return inner_.ToLocalFileTime(utcFileTime);
    }
    std::wstring AnsiToWideText(std::string_view ansi) override {
        return inner_.AnsiToWideText(ansi);
    }

private:
    void Check() const {
        if (progress_.CancelRequested())
            throw Interrupted{};
    }
    DirectoryEnumerator& inner_;
    ConsoleProgress& progress_;
};

bool After(const CalendarDate& a, const CalendarDate& b) {
    return a.year != b.year     ? a.year > b.year
           : a.month != b.month ? a.month > b.month
                                : a.day > b.day;
}

std::wstring IsoDate(const CalendarDate& date) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// Every ticked channel without a directory, or whose directory cannot be entered, is
// named and left out of the search (a channel never set up would search the table's
// default "c:\"); when none is left, the search cannot run at all.
int CheckChannels(const CliOptions& options, const LoadedTable& loaded,
                  const std::vector<exporting::ArchiveBase>& bases, Console& console,
                  std::array<bool, 8>& searched) {
    int missing = 0;
    for (int k = 0; k < ChannelDirTable::kEntryCount; ++k) {
        bool& search = searched[static_cast<std::size_t>(k)];
        if (!search)
            continue;
        const auto base = std::find_if(bases.begin(), bases.end(),
                                       [&](const auto& b) { return b.channel == k + 1; });
        const std::wstring channel = std::to_wstring(k + 1);
        const bool given =
            loaded.fromFile || std::any_of(options.dirs.begin(), options.dirs.end(),
                                           [&](const auto& dir) { return dir.first == k + 1; });
        if (!given)
            console.Err(L"Каталог канала " + channel + L" не задан: нет файла настроек «" +
                        loaded.file + L"» и параметра --dir " + channel + L"=ПАПКА.");
        else if (base == bases.end() || !base->entered)
            console.Err(L"Каталог канала " + channel + L" «" +
                        EscapeControls(base == bases.end() ? L"" : base->configured) +
                        L"» не найден.");
        search = given && base != bases.end() && base->entered;
        missing += search ? 0 : 1;
    }
    SearchCriteria entered;
    entered.channelTicked = searched;
    if (!AnyChannelTicked(entered))
        throw Stop(kExitSomeFailed, L"Поиск не выполнен: ни один каталог канала не найден.");
    return missing > 0 ? kExitSomeFailed : kExitDone;
}

// --unheard: the window's marks. None yet is nothing heard; a file that cannot be trusted
// would quietly list what was heard, so the command stops.
timeline::HeardMarks HeardMarksOrStop() {
    const fs::path file = timeline::HeardMarksPath();
    timeline::HeardMarksLoad load;
    timeline::HeardMarks marks = timeline::LoadHeardMarks(file, load);
    const std::wstring name =
        L"файл отметок о прослушивании «" + EscapeControls(WideFromPath(file)) + L"»";
    switch (load.file) {
    case timeline::HeardMarksFile::Missing:
    case timeline::HeardMarksFile::Read:
        return marks;
    case timeline::HeardMarksFile::Damaged:
        throw Stop(kExitSomeFailed, L"Повреждён " + name +
                                        L": какие записи прослушаны, неизвестно. Ничего не "
                                        L"записано.");
    case timeline::HeardMarksFile::TooLarge:
        throw Stop(kExitSomeFailed, L"Слишком велик " + name +
                                        L" (больше 256 МБ): это не файл отметок. Ничего не "
                                        L"записано.");
    case timeline::HeardMarksFile::Unreadable:
        break;
    }
    const std::wstring reason = voice::SystemErrorText(load.error);
    throw Stop(kExitSomeFailed, L"Не удалось прочитать " + name +
                                    (reason.empty() ? L"" : L": " + reason) +
                                    L". Ничего не записано.");
}

// The lines with their paths as this system spells them.
void UseNativePaths(std::vector<std::wstring>& lines) {
    for (std::wstring& line : lines) {
        const std::wstring source = ReadLineColumns(line).source;
        line = line.substr(0, line.size() - source.size()) + WideFromPath(PathFromWide(source));
    }
}

int Report(const exporting::ExportOutcome& outcome, CliCommand command, const fs::path& target,
           Console& console, bool quiet) {
    for (const std::wstring& error : outcome.errors)
        console.Err(L"Ошибка: " + EscapeControls(error));
    const bool merge = command == CliCommand::Merge || command == CliCommand::Incident;
    const std::vector<fs::path> written =
        exporting::WrittenFiles(outcome, merge ? target.parent_path() : target);
    // Without its index nothing else names the files written: they are listed here.
    if (!outcome.fileFailure.empty()) {
        console.Err(outcome.fileFailure);
        if (!written.empty())
            console.Err(L"Записаны файлы (" + std::to_wstring(written.size()) + L"):");
        for (const fs::path& file : written)
            console.Err(L"  " + EscapeControls(WideFromPath(file)));
    }
    if (outcome.cancelled)
        console.Err(written.empty()
                        ? std::wstring(L"Прервано, ничего не записано.")
                        : L"Прервано: записано " + std::to_wstring(outcome.done) + L".");
    else if (merge && written.empty() && outcome.fileFailure.empty())
        console.Err(L"Файл не записан: объединять нечего.");
    if (!quiet && command == CliCommand::Incident && !outcome.indexFile.empty())
        console.Err(L"Указатель: " + EscapeControls(WideFromPath(outcome.indexFile)));
    if (!quiet && !written.empty())
        console.Err(
            (merge ? L"Объединено записей: " : L"Выгружено записей: ") +
            std::to_wstring(outcome.done) + L", с ошибками: " + std::to_wstring(outcome.failed) +
            L". " +
            (merge ? L"Файл: " + EscapeControls(WideFromPath(target))
                   : L"Указатель: " + (outcome.indexFile.empty()
                                           ? std::wstring(L"не записан")
                                           : EscapeControls(WideFromPath(outcome.indexFile)))));
    if (!quiet && command == CliCommand::Incident && !written.empty())
        if (const std::wstring leftOut = exporting::LeftOutText(outcome); !leftOut.empty())
            console.Err(leftOut);
    return outcome.failed > 0 || outcome.cancelled || !outcome.fileFailure.empty() ? kExitSomeFailed
                                                                                   : kExitDone;
}

int RunCommand(const CliOptions& options, CliPlatform& platform, Console& console,
               const std::atomic<bool>& cancel) {
    if (After(options.criteria.from, options.criteria.to))
        throw Stop(kExitSomeFailed, L"--from " + IsoDate(options.criteria.from) + L" позже --to " +
                                        IsoDate(options.criteria.to) + L": искать нечего.");
    const LoadedTable loaded = LoadTable(options, platform);
    const std::wstring startDir = platform.CurrentDirectory();
    const auto bases = exporting::FindArchiveBases(loaded.table, options.criteria.channelTicked,
                                                   platform.Enumerator(), startDir);
    // A base the settings file sets stays the archive when --dir points the channel
    // elsewhere.
    std::vector<exporting::ArchiveBase> archiveBases = bases;
    if (loaded.fromFile)
        for (auto& base :
             exporting::FindArchiveBases(loaded.fileTable, {}, platform.Enumerator(), startDir))
            archiveBases.push_back(std::move(base));
    const exporting::Archive archive(archiveBases);
    const bool toFile = options.command != CliCommand::List && !options.toStandardOutput;
    const fs::path target =
        toFile ? PathFromWide(platform.AbsolutePath(options.target)) : fs::path();
    // Refused before the search: a long search must not end in a refusal.
    if (toFile) {
        exporting::RefuseArchiveTarget(target, archive.BasePaths());
        std::vector<fs::path> files;
        if (options.command == CliCommand::Incident) {
            exporting::RefuseIndexAsTarget(target);
            files = {target, exporting::IncidentIndexPath(target)};
        } else if (options.command != CliCommand::Out) {
            files = {target};
        }
        for (const fs::path& file : files) {
            voice::RefuseNonFileTarget(file);
            if (!options.force)
                voice::RefuseExistingTarget(file);
        }
    }
    SearchCriteria criteria = options.criteria;
    const int exitCode = CheckChannels(options, loaded, bases, console, criteria.channelTicked);
    criteria.timeSeparator = platform.TimeSeparator();
    for (TimeBound* bound : {&criteria.fromTime, &criteria.toTime})
        if (bound->enabled)
            bound->text[2] = bound->text[5] = criteria.timeSeparator;
    ConsoleProgress progress(console, !options.quiet, cancel);
    const int ordering = options.ordering;
    TSortStr lineList([ordering] { return ordering; });
    // Before the search: a long search must not end in a refusal.
    const std::optional<timeline::HeardMarks> heard =
        options.unheard ? std::optional(HeardMarksOrStop()) : std::nullopt;
    WatchedEnumerator enumerator(platform.Enumerator(), progress);
    try {
        RunRecordingSearch(
            criteria, loaded.table, lineList, startDir, [] {}, enumerator);
    } catch (const Interrupted&) {
        platform.Enumerator().ChangeDirectory(startDir);
        throw Stop(kExitSomeFailed, L"Прервано, ничего не записано.");
    } catch (const NamedDateError& error) {
        // The window stops at such a name too; here the name is given, so it can be found.
        platform.Enumerator().ChangeDirectory(startDir);
        throw Stop(kExitSomeFailed, L"Поиск остановлен: имя «" +
                                        EscapeControls(WideFromPath(PathFromWide(error.Path()))) +
                                        L"» означает несуществующую дату. Ничего не записано.");
    } catch (...) {
        platform.Enumerator().ChangeDirectory(startDir);
        throw;
    }
    progress.End();
    std::vector<std::wstring> lines = lineList.Lines();
    if (heard)
        std::erase_if(lines, [&](const std::wstring& line) { return heard->Heard(line); });
    // The picture shows what was heard, by the lines as the marks know them; marks that
    // cannot be read mark nothing, so the picture claims no listening it cannot vouch for.
    std::vector<bool> heardLines;
    if (options.command == CliCommand::Timeline) {
        timeline::HeardMarksLoad load;
        const timeline::HeardMarks marks =
            timeline::LoadHeardMarks(timeline::HeardMarksPath(), load);
        if (load.file == timeline::HeardMarksFile::Read && marks.Size() > 0)
            for (const std::wstring& line : lines)
                heardLines.push_back(marks.Heard(line));
    }
    if (lines.empty())
        throw Stop(exitCode != kExitDone ? exitCode : kExitNothing,
                   L"Подходящих записей нет: ничего не записано.");
    if (options.paths == PathForm::Native)
        UseNativePaths(lines);

    switch (options.command) {
    case CliCommand::List:
        for (const std::wstring& line : lines) {
            if (progress.CancelRequested())
                throw Stop(kExitSomeFailed, L"Прервано, ничего не записано.");
            console.Out(EscapeControls(line));
            CheckOutput(console);
        }
        return exitCode;
    case CliCommand::Csv: {
        const std::optional<std::string> text = exporting::ListCsvText(lines, progress);
        progress.End();
        if (!text)
            throw Stop(kExitSomeFailed, L"Прервано, ничего не записано.");
        if (options.toStandardOutput) {
            console.OutBytes(*text);
            CheckOutput(console);
        } else {
            exporting::WriteOutsideArchive(target, *text, archive, options.force);
            if (!options.quiet)
                console.Err(L"Список сохранён: строк " + std::to_wstring(lines.size()) +
                            L". Файл: " + EscapeControls(WideFromPath(target)));
        }
        return exitCode;
    }
    case CliCommand::Timeline: {
        const auto midnight = [](const CalendarDate& d) {
            return SecondsOf({d.year, d.month, d.day, 0, 0, 0});
        };
        const std::string svg = timeline::SearchedTimelineSvg(
            lines, midnight(criteria.from), midnight(criteria.to),
            timeline::DayWindowOf(criteria.fromTime.enabled, criteria.fromTime.text,
                                  criteria.toTime.enabled, criteria.toTime.text),
            heardLines);
        if (options.toStandardOutput) {
            console.OutBytes(svg);
            CheckOutput(console);
        } else {
            exporting::WriteOutsideArchive(target, svg, archive, options.force);
            if (!options.quiet)
                console.Err(L"Временная шкала сохранена: записей " + std::to_wstring(lines.size()) +
                            L". Файл: " + EscapeControls(WideFromPath(target)));
        }
        return exitCode;
    }
    case CliCommand::Out: {
        const auto outcome =
            exporting::ExportRecordings(lines, target, archive, LocalNow(), progress);
        progress.End();
        return std::max(exitCode, Report(outcome, options.command, target, console, options.quiet));
    }
    case CliCommand::Merge: {
        const auto outcome =
            exporting::MergeRecordings(lines, target, archive, progress, options.force);
        progress.End();
        return std::max(exitCode, Report(outcome, options.command, target, console, options.quiet));
    }
    case CliCommand::Incident: {
        incident::IncidentOptions incident;
        incident.gapSeconds = options.gapSeconds;
        incident.layout = static_cast<incident::Layout>(options.incidentLayout);
        if (options.span) {
            incident.from = options.span->first;
            incident.to = options.span->second;
        }
        const auto outcome =
            exporting::ExportIncident(lines, target, archive, incident, progress, options.force);
        progress.End();
        return std::max(exitCode, Report(outcome, options.command, target, console, options.quiet));
    }
    }
    return exitCode;
}

} // namespace

int RunArguments(const std::vector<std::string>& args, CliPlatform& platform, Console& console,
                 const std::atomic<bool>& cancel) {
    const ParsedArguments parsed = ParseArguments(args);
    if (parsed.options)
        return RunCli(*parsed.options, platform, console, cancel);
    if (parsed.exitCode != 0) {
        console.Err(parsed.text);
        return parsed.exitCode;
    }
    console.Out(parsed.text);
    const std::wstring failure = OutputFailureText(console);
    if (failure.empty())
        return kExitDone;
    console.Err(failure);
    return kExitSomeFailed;
}

int RunCli(const CliOptions& options, CliPlatform& platform, Console& console,
           const std::atomic<bool>& cancel) {
    try {
        return RunCommand(options, platform, console, cancel);
    } catch (const Stop& stop) {
        console.Err(stop.text);
        return stop.exitCode;
    } catch (const exporting::NothingToWrite& nothing) {
        console.Err(nothing.Text() + L" Ничего не записано.");
        return kExitNothing;
    } catch (const voice::WriteFailed& failed) {
        // Written nothing, as for any file that could not be written.
        console.Err(failed.Text());
        return kExitSomeFailed;
    } catch (const voice::WriteRefused& refused) {
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
