#pragma once
// voice-export after its arguments are parsed: the channel table from the settings and
// --dir, the window's search and sort, then one of the export commands. Portable.

#include <atomic>
#include <string>
#include <vector>

#include "catalogue/channel_dir_table.h"
#include "catalogue/directory_enumerator.h"
#include "cli/cli_options.h"
#include "cli/console.h"
#include "export/export_job.h"

namespace voice::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitRefused = 2;
// Nothing to write: no recording selected, or none sounding in the span. Nothing written.
inline constexpr int kExitNothing = 3;

// What differs between Windows and Linux.
class CliPlatform {
public:
    virtual ~CliPlatform() = default;
    virtual DirectoryEnumerator& Enumerator() = 0;
    // Stores a --dir path in entry k as the window would (false when it does not fit).
    virtual bool StoreChannelDir(ChannelDirTable& table, int k, const std::wstring& path) = 0;
    virtual std::wstring CurrentDirectory() = 0;
    // path made absolute against the current directory (as given when it already is).
    virtual std::wstring AbsolutePath(const std::wstring& path) = 0;
    virtual wchar_t TimeSeparator() = 0;
};

// The whole program after start-up: args (UTF-8, without the program's name) parsed,
// then run. Help goes to stdout, argument errors to stderr with exit status 2.
int RunArguments(const std::vector<std::string>& args, CliPlatform& platform, Console& console,
                 const std::atomic<bool>& cancel);

// cancel is set from outside (Ctrl+C): the search stops at once, the export after the
// current recording, and nothing unfinished is left.
int RunCli(const CliOptions& options, CliPlatform& platform, Console& console,
           const std::atomic<bool>& cancel);

} // namespace voice::cli
