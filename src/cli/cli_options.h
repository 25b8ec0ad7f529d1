#pragma once
// voice-export's command line, parsed by CLI11. Portable.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/recording_search.h"

namespace voice::cli {

enum class CliCommand { List, Csv, Out, Merge, Timeline };

struct CliOptions {
    SearchCriteria criteria;              // channels, dates and time window as the window's fields
    int ordering = 0;                     // RGSort's item index: start, end, channel, size
    std::optional<std::wstring> settings; // --settings
    std::vector<std::pair<int, std::wstring>> dirs; // --dir N=PATH, channel 1..8
    CliCommand command = CliCommand::List;
    std::wstring target; // the file or folder of --csv, --out, --merge, --timeline
    bool unheard = false; // --unheard: only recordings not heard to the end
    bool quiet = false;
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

} // namespace voice::cli
