#pragma once
// voice-export run in the test's process: the real platform, its output captured.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/console.h"

namespace voice::cli::test {

class CapturedConsole final : public Console {
public:
    void Out(std::wstring_view line) override { out.emplace_back(line); }
    void OutBytes(std::string_view bytes) override { outBytes += bytes; }
    std::wstring OutFailure() const override { return {}; }
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

// Parses args (UTF-8, as main gets them) and runs them as main does; cancelled is
// Ctrl+C pressed before the run.
CliRun RunVoiceExport(const std::vector<std::string>& args, bool cancelled = false);

// The rows of a CSV file as voice-export writes it (UTF-8 with a BOM, ';', quotes).
std::vector<std::vector<std::string>> CsvRows(std::string text);

// Every file below folder (path relative to it -> contents), to prove it unchanged.
std::map<std::string, std::string> TreeContents(const std::filesystem::path& folder);

// A path as voice-export takes it on this system.
std::string Native(const std::filesystem::path& path);
// Whether a line on stderr holds text; all of stderr, for a failure's message.
bool Says(const CliRun& run, const std::wstring& text);
std::string Dump(const CliRun& run);

// The process's current directory for a scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& path)
        : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentDirectory() { std::filesystem::current_path(saved_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path saved_;
};

} // namespace voice::cli::test
