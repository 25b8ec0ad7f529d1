#include "cli/cli_options.h"

#include <cmath>
#include <tuple>

#include <CLI/CLI.hpp>

#include "catalogue/date_time.h"
#include "platform/app_error.h"
#include "platform/utf8.h"

namespace voice::cli {
namespace {

using voice::FromUtf8;

constexpr int kExitBadArguments = 2;

class BadArgument {
public:
    explicit BadArgument(std::wstring text) : text(std::move(text)) {}
    std::wstring text;
};

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::array<bool, 8> ParseChannels(const std::string& text) {
    std::array<bool, 8> ticked{};
    if (text == "all") {
        ticked.fill(true);
        return ticked;
    }
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        if (item.size() != 1 || item[0] < '1' || item[0] > '8')
            throw BadArgument(L"--channels: ожидаются номера каналов от 1 до 8 через запятую "
                              L"или all, а не «" +
                              FromUtf8(text) + L"»");
        ticked[static_cast<std::size_t>(item[0] - '1')] = true;
        at = comma + 1;
    }
    return ticked;
}

// YYYY-MM-DD. An impossible calendar date fails as the window's date conversion does.
CalendarDate ParseDate(const std::string& option, const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !AllDigits(text.substr(0, 4)) ||
        !AllDigits(text.substr(5, 2)) || !AllDigits(text.substr(8, 2)))
        throw BadArgument(FromUtf8(option) + L": ожидается дата ГГГГ-ММ-ДД, а не «" +
                          FromUtf8(text) + L"»");
    const CalendarDate date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                            std::stoi(text.substr(8, 2))};
    try {
        EncodeDate(date.year, date.month, date.day);
    } catch (const DateEncodeError&) {
        throw BadArgument(FromUtf8(option) + L": нет такой даты «" + FromUtf8(text) +
                          L"» (месяц от 01 до 12, день не больше числа дней в месяце)");
    }
    return date;
}

TimeBound ParseTime(const std::string& option, const std::string& text, wchar_t separator);

// "YYYY-MM-DD HH:MM:SS" for --span.
DateTimeParts ParseMoment(const std::string& text) {
    if (text.size() != 19 || text[10] != ' ')
        throw BadArgument(L"--span: ожидается «ГГГГ-ММ-ДД ЧЧ:ММ:СС», а не «" + FromUtf8(text) +
                          L"»");
    const CalendarDate date = ParseDate("--span", text.substr(0, 10));
    const std::string time = text.substr(11);
    ParseTime("--span", time, L':');
    return {date.year,
            date.month,
            date.day,
            std::stoi(time.substr(0, 2)),
            std::stoi(time.substr(3, 2)),
            std::stoi(time.substr(6, 2))};
}

TimeBound ParseTime(const std::string& option, const std::string& text, wchar_t separator) {
    const bool shaped = text.size() == 8 && text[2] == ':' && text[5] == ':' &&
                        AllDigits(text.substr(0, 2)) && AllDigits(text.substr(3, 2)) &&
                        AllDigits(text.substr(6, 2));
    if (!shaped || std::stoi(text.substr(0, 2)) > 23 || std::stoi(text.substr(3, 2)) > 59 ||
        std::stoi(text.substr(6, 2)) > 59)
        throw BadArgument(FromUtf8(option) + L": ожидается время ЧЧ:ММ:СС, а не «" +
                          FromUtf8(text) + L"»");
    std::wstring field = FromUtf8(text);
    field[2] = field[5] = separator;
    return {true, field};
}

std::pair<int, std::wstring> ParseDir(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals != 1 || text[0] < '1' || text[0] > '8' || equals + 1 == text.size())
        throw BadArgument(L"--dir: ожидается N=ПАПКА с номером канала от 1 до 8, а не «" +
                          FromUtf8(text) + L"»");
    return {text[0] - '0', FromUtf8(text.substr(equals + 1))};
}

// CLI11's own texts are English: the kind of error in Russian, its detail as given.
std::wstring Russian(const CLI::ParseError& error) {
    const std::string name = error.get_name();
    std::wstring kind = L"Неверные аргументы";
    if (name == "RequiredError")
        kind = L"Не указан обязательный параметр или указано не одно действие";
    else if (name == "ArgumentMismatch")
        kind = L"Неверное число значений";
    else if (name == "ConversionError" || name == "ValidationError")
        kind = L"Неверное значение";
    else if (name == "ExcludesError")
        kind = L"Параметры исключают друг друга";
    return kind + L" (" + FromUtf8(error.what()) + L").\nСправка: voice-export --help";
}

// Written out rather than generated: the parser's own help is English and lines up
// columns by bytes, which Cyrillic text breaks.
constexpr wchar_t kHelp[] =
    L"voice-export: выгрузка записей из архива регистратора.\n"
    L"Отбирает записи, как кнопка «Сформировать список» в окне, и выводит список,\n"
    L"сохраняет его в CSV, выгружает записи в файлы WAV с указателем CSV или\n"
    L"объединяет их в один файл WAV. Архив не изменяется.\n"
    L"\n"
    L"Вызов:\n"
    L"  voice-export --channels 1,3|all --from ГГГГ-ММ-ДД --to ГГГГ-ММ-ДД\n"
    L"               [--time-from ЧЧ:ММ:СС] [--time-to ЧЧ:ММ:СС]\n"
    L"               [--order start|end|channel|size] [--settings ФАЙЛ] [--dir N=ПАПКА]...\n"
    L"               [--unheard]\n"
    L"               (--list | --csv ФАЙЛ|- | --out ПАПКА | --merge ФАЙЛ.wav |\n"
    L"                --timeline ФАЙЛ.svg|- | --incident ФАЙЛ.wav [--gap СЕКУНДЫ]\n"
    L"                [--layout mono|stereo|tracks] [--span ОТ ДО])\n"
    L"               [--force] [--paths window|native] [--quiet]\n"
    L"\n"
    L"Отбор:\n"
    L"  --channels 1,3|all    каналы (1-8 через запятую или all)\n"
    L"  --from, --to          даты начала записей, включительно\n"
    L"  --time-from, --time-to  время суток начала, в каждый день диапазона\n"
    L"  --order               сортировка: start - по началу (по умолчанию), end - по\n"
    L"                        окончанию, channel - по каналу, size - по размеру\n"
    L"  --settings ФАЙЛ       таблица каталогов каналов (по умолчанию BegDir.Ini\n"
    L"                        в текущей папке)\n"
    L"  --dir N=ПАПКА         каталог канала N вместо указанного в таблице\n"
    L"  --unheard             только записи, не прослушанные в окне до конца\n"
    L"\n"
    L"Действие (ровно одно):\n"
    L"  --list                строки списка, как в окне, с путём к файлу (UTF-8;\n"
    L"                        управляющие знаки в имени - как \\n, \\t, \\xNN)\n"
    L"  --csv ФАЙЛ            список в CSV (UTF-8, разделитель ;); - : в стандартный\n"
    L"                        вывод\n"
    L"  --out ПАПКА           каждая запись - файл WAV K<канал>_<дата>_<время>.wav,\n"
    L"                        рядом указатель export_<дата>_<время>.csv с SHA-256\n"
    L"  --merge ФАЙЛ.wav      все записи в одном WAV с метками начала каждой\n"
    L"  --timeline ФАЙЛ.svg   временная шкала записей: дорожка на канал, ось времени;\n"
    L"                        - : в стандартный вывод\n"
    L"  --incident ФАЙЛ.wav   записи как они звучали: каждая в своё время, наложения\n"
    L"                        вместе, метка начала каждой; рядом ФАЙЛ.csv со\n"
    L"                        смещениями и SHA-256\n"
    L"  --gap СЕКУНДЫ         тишина между записями длиннее этого сокращается до него\n"
    L"                        (по умолчанию 2; 0 - реальное время)\n"
    L"  --layout              mono; stereo - каналы по стереопанораме (по умолчанию);\n"
    L"                        tracks - канал WAV на каждый канал регистратора\n"
    L"  --span ОТ ДО          только промежуток \"ГГГГ-ММ-ДД ЧЧ:ММ:СС\" \"ГГГГ-ММ-ДД ЧЧ:ММ:СС\"\n"
    L"\n"
    L"  --force               заменить существующий файл --csv, --merge, --timeline\n"
    L"                        или --incident\n"
    L"                        (только когда новый файл записан целиком); без него\n"
    L"                        такой файл не трогается\n"
    L"  --paths window|native пути к записям как в окне (Z:\\... под Wine, по\n"
    L"                        умолчанию) или как их пишет эта система (/...), для\n"
    L"                        проверки указателя её средствами (sha256sum -c)\n"
    L"  --quiet               не показывать ход работы и итог\n"
    L"  --version             версия программы\n"
    L"  -h, --help            эта справка\n"
    L"\n"
    L"Пути считаются от текущей папки. В каталоги каналов (из файла настроек и --dir,\n"
    L"отбираемых и нет) ничего не записывается; существующие файлы не заменяются.\n"
    L"Ctrl+C останавливает работу после текущей записи, второй Ctrl+C - сразу.\n"
    L"\n"
    L"Код завершения: 0 - всё сделано, 1 - часть записей не выгружена (они названы),\n"
    L"работа прервана или искать было негде (нет каталога канала, файла настроек,\n"
    L"--from позже --to), 2 - неверные аргументы, нечитаемые настройки, запрещённое\n"
    L"место записи или существующий файл.";

constexpr wchar_t kVersion[] = L"voice-export " VOICE_VERSION_TEXT;

} // namespace

std::optional<Destination> ParseDestination(const std::string& option, const std::string& value,
                                            bool standardOutputAllowed, std::wstring& error) {
    if (value.empty()) {
        error = FromUtf8(option) + L": ожидается имя файла или папки, а не пустая строка";
        return std::nullopt;
    }
    if (value == "-") {
        if (standardOutputAllowed)
            return Destination{true, {}};
        error = FromUtf8(option) + L": стандартный вывод (-) здесь не поддерживается";
        return std::nullopt;
    }
    return Destination{false, FromUtf8(value)};
}

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
    CLI::App app{"voice-export", "voice-export"};
    app.set_help_flag("-h,--help");
    std::string channels, from, to, timeFrom, timeTo, order = "start", settings, paths = "window";
    std::vector<std::string> dirs;
    bool list = false, quiet = false, force = false, version = false, unheard = false;
    app.add_flag("--version", version);
    app.add_option("--channels", channels);
    app.add_option("--from", from);
    app.add_option("--to", to);
    app.add_option("--time-from", timeFrom);
    app.add_option("--time-to", timeTo);
    app.add_option("--order", order)->check(CLI::IsMember({"start", "end", "channel", "size"}));
    app.add_option("--settings", settings);
    app.add_option("--dir", dirs);
    auto* commands = app.add_option_group("action");
    commands->add_flag("--list", list);
    // The actions that write somewhere; "-" is standard output where allowed.
    struct WritingAction {
        const char* option;
        CliCommand command;
        bool standardOutput;
        std::string value;
        CLI::Option* parsed = nullptr;
    } actions[] = {
        {"--csv", CliCommand::Csv, true, {}},
        {"--out", CliCommand::Out, false, {}},
        {"--merge", CliCommand::Merge, false, {}},
        {"--timeline", CliCommand::Timeline, true, {}},
        {"--incident", CliCommand::Incident, false, {}},
    };
    for (WritingAction& action : actions)
        action.parsed = commands->add_option(action.option, action.value);
    app.add_flag("--force", force);
    app.add_option("--paths", paths)->check(CLI::IsMember({"window", "native"}));
    app.add_flag("--quiet", quiet);
    app.add_flag("--unheard", unheard);
    double gap = incident::kDefaultGapSeconds;
    std::string layout = "stereo";
    std::vector<std::string> span;
    app.add_option("--gap", gap)->check(CLI::Range(0.0, 86400.0));
    app.add_option("--layout", layout)->check(CLI::IsMember({"mono", "stereo", "tracks"}));
    app.add_option("--span", span)->expected(2);

    ParsedArguments parsed;
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
        if (version) {
            parsed.text = kVersion;
            return parsed;
        }
        // Checked here rather than by the parser, so that --version needs none of them.
        for (const char* required : {"--channels", "--from", "--to"})
            if (app.count(required) == 0)
                throw BadArgument(L"Не указан обязательный параметр " + FromUtf8(required) +
                                  L".\nСправка: voice-export --help");
        if (commands->count_all() != 1)
            throw BadArgument(
                L"Не указан обязательный параметр или указано не одно действие "
                L"(--list, --csv, --out, --merge, --timeline или --incident).\nСправка: "
                L"voice-export --help");
        CliOptions options;
        options.criteria.channelTicked = ParseChannels(channels);
        options.criteria.from = ParseDate("--from", from);
        options.criteria.to = ParseDate("--to", to);
        if (!timeFrom.empty())
            options.criteria.fromTime = ParseTime("--time-from", timeFrom, L':');
        if (!timeTo.empty())
            options.criteria.toTime = ParseTime("--time-to", timeTo, L':');
        options.ordering = order == "start" ? 0 : order == "end" ? 1 : order == "channel" ? 2 : 3;
        if (app.count("--settings") > 0) {
            if (settings.empty())
                throw BadArgument(L"--settings: ожидается имя файла, а не пустая строка");
            options.settings = FromUtf8(settings);
        }
        for (const std::string& dir : dirs)
            options.dirs.push_back(ParseDir(dir));
        options.command = CliCommand::List;
        for (const WritingAction& action : actions) {
            if (action.parsed->count() == 0)
                continue;
            std::wstring error;
            const auto destination =
                ParseDestination(action.option, action.value, action.standardOutput, error);
            if (!destination)
                throw BadArgument(error);
            options.command = action.command;
            options.target = destination->path;
            options.toStandardOutput = destination->standardOutput;
        }
        const bool incident = options.command == CliCommand::Incident;
        for (const char* only : {"--gap", "--layout", "--span"})
            if (app.count(only) > 0 && !incident)
                throw BadArgument(FromUtf8(only) + L": только вместе с --incident");
        // The parser's range lets "nan" through: no comparison holds for it.
        if (!std::isfinite(gap))
            throw BadArgument(L"--gap: ожидается число секунд от 0 до 86400, а не «" +
                              FromUtf8(app["--gap"]->as<std::string>()) + L"»");
        options.gapSeconds = gap;
        options.incidentLayout = layout == "mono" ? 0 : layout == "stereo" ? 1 : 2;
        if (span.size() == 2) {
            const DateTimeParts a = ParseMoment(span[0]), b = ParseMoment(span[1]);
            auto key = [](const DateTimeParts& p) {
                return std::tuple(p.year, p.month, p.day, p.hour, p.minute, p.second);
            };
            if (key(a) >= key(b))
                throw BadArgument(L"--span: начало промежутка должно быть раньше конца");
            options.span.emplace(a, b);
        }
        options.unheard = unheard;
        options.force = force;
        options.paths = paths == "native" ? PathForm::Native : PathForm::Window;
        options.quiet = quiet;
        parsed.options = std::move(options);
    } catch (const CLI::CallForHelp&) {
        parsed.text = kHelp;
    } catch (const CLI::ParseError& error) {
        parsed.exitCode = kExitBadArguments;
        parsed.text = Russian(error);
    } catch (const BadArgument& bad) {
        parsed.exitCode = kExitBadArguments;
        parsed.text = bad.text;
    }
    return parsed;
}

} // namespace voice::cli
