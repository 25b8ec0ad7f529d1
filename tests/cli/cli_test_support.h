#pragma once
// voice-export run in the test's process: the real platform, its output captured.

#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/console.h"

namespace voice::cli::test {

class CapturedConsole final : public Console {
public:
    void Out(std::wstring_view line) override { out.emplace_back(line); }
    void OutBytes(std::string_view bytes) override { outBytes += bytes; }
    void Err(std::wstring_view line) override { err.emplace_back(line); }
    bool ErrIsTerminal() const override { return false; }
    void Progress(std::wstring_view) override {}
    void EndProgress() override {}
    std::vector<std::wstring> out, err;
    std::string outBytes;
};

struct CliRun {
    int exitCode = 0;
    std::vector<std::wstring> out, err;
    std::string outBytes;
};

// Parses args (UTF-8, as main gets them) and runs them as main does.
CliRun RunVoiceExport(const std::vector<std::string>& args);

} // namespace voice::cli::test
