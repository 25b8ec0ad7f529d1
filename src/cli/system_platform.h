#pragma once
// The platform voice-export runs on: the directory walker, the table's text, the local
// clock. system_platform_posix.cpp and system_platform_win32.cpp.

#include <memory>

#include "cli/cli_run.h"

namespace voice::cli {

std::unique_ptr<CliPlatform> MakeSystemPlatform();

} // namespace voice::cli
