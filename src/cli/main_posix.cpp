// voice-export on Linux.
#include <csignal>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/system_platform.h"

namespace voice::cli {
namespace {

// Ctrl+C asks the export to stop after the current recording, so no ".part" file is
// left behind; a signal handler can only reach a flag of static storage.
std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted = true;
}

} // namespace
} // namespace voice::cli

int main(int argc, char** argv) {
    using namespace voice::cli;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    return RunArguments(std::vector<std::string>(argv + 1, argv + argc), *MakeSystemPlatform(),
                        *MakeSystemConsole(), interrupted);
}
