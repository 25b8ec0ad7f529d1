// voice-export on Linux.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/system_platform.h"
#include "platform/target_folder.h"

namespace voice::cli {
namespace {

// Ctrl+C (or the terminal closing, or kill) asks the export to stop after the current
// recording; a second one ends the program at once, for whoever cannot wait, removing
// what it was writing. A signal handler can only reach a flag of static storage.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    if (interrupted.exchange(true)) {
        voice::RemoveUnfinishedFilesNow();
        constexpr char kText[] = "\nvoice-export: прервано сразу\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kText, sizeof kText - 1);
        ::_exit(130);
    }
}

} // namespace
} // namespace voice::cli

int main(int argc, char** argv) {
    using namespace voice::cli;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::signal(SIGHUP, OnInterrupt);
    // Past the file size limit a write fails (EFBIG) and is handled as a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    return RunArguments(std::vector<std::string>(argv + 1, argv + argc), *MakeSystemPlatform(),
                        *MakeSystemConsole(), interrupted);
}
