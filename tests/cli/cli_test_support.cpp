#include "cli_test_support.h"

#include "cli/system_platform.h"

namespace voice::cli::test {

CliRun RunVoiceExport(const std::vector<std::string>& args) {
    CliRun run;
    const ParsedArguments parsed = ParseArguments(args);
    if (!parsed.options) {
        run.exitCode = parsed.exitCode;
        (parsed.exitCode == 0 ? run.out : run.err).push_back(parsed.text);
        return run;
    }
    CapturedConsole console;
    const std::atomic<bool> cancel{false};
    run.exitCode = RunCli(*parsed.options, *MakeSystemPlatform(), console, cancel);
    run.out = console.out;
    run.err = console.err;
    return run;
}

} // namespace voice::cli::test
