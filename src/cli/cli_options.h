#pragma once
// voice-export's command line, parsed by CLI11. Portable.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/date_time.h"
#include "catalogue/recording_search.h"
#include "incident/placement.h"

namespace voice::cli {

enum class CliCommand { List, Csv, Out, Merge, Timeline, Incident };

// How source paths are written: as the window shows them ("Z:\tmp\rec\..." under Wine),
// or as this system spells them ("/tmp/rec/...", for checks with the system's tools).
enum class PathForm { Window, Native };

// Where a document goes: a file, or standard output ("-").
struct Destination {
    bool standardOutput = false;
    std::wstring path;
};

struct CliOptions {
    SearchCriteria criteria;              // channels, dates and time window as the window's fields
    int ordering = 0;                     // RGSort's item index: start, end, channel, size
    std::optional<std::wstring> settings; // --settings
    std::vector<std::pair<int, std::wstring>> dirs; // --dir N=PATH, channel 1..8
    CliCommand command = CliCommand::List;
    std::wstring target;           // the file or folder of --csv, --out, --merge, --timeline
    bool toStandardOutput = false; // --csv - or --timeline -
    bool unheard = false;          // only recordings not heard to the end in the window
    bool force = false;            // an existing --csv, --merge or --timeline file may be replaced
    PathForm paths = PathForm::Window;
    bool quiet = false;
    // --incident: longer silences shortened to gapSeconds (0 keeps them), the layout's
    // index (mono, stereo, tracks), an optional span of real time.
    double gapSeconds = incident::kDefaultGapSeconds;
    int incidentLayout = 1;
    std::optional<std::pair<DateTimeParts, DateTimeParts>> span;
};

// What parsing gave: options to run, or an exit with a text (help on stdout with 0,
// a Russian error on stderr with 2).
struct ParsedArguments {
    std::optional<CliOptions> options;
    int exitCode = 0;
    std::wstring text;
};

// args are UTF-8, without the program name.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

// What an option naming a file or folder says: "-" is standard output where allowed;
// an empty value is refused (nullopt, with the Russian reason in error).
std::optional<Destination> ParseDestination(const std::string& option, const std::string& value,
                                            bool standardOutputAllowed, std::wstring& error);

} // namespace voice::cli
