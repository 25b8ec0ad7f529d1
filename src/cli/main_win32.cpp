// voice-export.exe: the arguments come as wide text and go to the parser as UTF-8.
#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "cli/cli_run.h"
#include "cli/system_platform.h"
#include "platform/utf8.h"

namespace voice::cli {
namespace {

// Ctrl+C asks the export to stop after the current recording, so no ".part" file is
// left behind; a second one ends the program at once. The console's handler can only
// reach a flag of static storage.
std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (interrupted.exchange(true))
        ::TerminateProcess(::GetCurrentProcess(), 130);
    return TRUE;
}

std::vector<std::string> Utf8Arguments() {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(voice::NameBytes(wide[i]));
    ::LocalFree(wide);
    return args;
}

} // namespace
} // namespace voice::cli

int main() {
    using namespace voice::cli;
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    return RunArguments(Utf8Arguments(), *MakeSystemPlatform(), *MakeSystemConsole(), interrupted);
}
