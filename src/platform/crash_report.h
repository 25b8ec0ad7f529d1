#pragma once
// A fault anywhere in the process, on any thread, leaves a minidump behind and ends the
// process at once: no debugger waiting behind a dialog, no report lost.
//
// The dump goes to %LOCALAPPDATA%\Voice\crashes\Voice-<yyyymmdd>-<hhmmss>-<pid>.dmp (the
// folders are made when needed); the process then ends with kCrashExitCode.

#include <windows.h>

namespace voice {

inline constexpr UINT kCrashExitCode = 0xDEAD;

// Install first thing at program entry: it covers unhandled structured exceptions (access
// violations, stack overflow...), C++ exceptions nobody catches, and abort.
void InstallCrashReport();

} // namespace voice
