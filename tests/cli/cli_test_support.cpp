#include "cli_test_support.h"

#include "cli/system_platform.h"

namespace voice::cli::test {

CliRun RunVoiceExport(const std::vector<std::string>& args) {
    CapturedConsole console;
    const std::atomic<bool> cancel{false};
    CliRun run;
    run.exitCode = RunArguments(args, *MakeSystemPlatform(), console, cancel);
    run.out = console.out;
    run.err = console.err;
    return run;
}

} // namespace voice::cli::test
