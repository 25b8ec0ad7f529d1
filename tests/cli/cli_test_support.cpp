#include "cli_test_support.h"

#include "cli/system_platform.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"

#include <fstream>
#include <iterator>

namespace voice::cli::test {

CliRun RunVoiceExport(const std::vector<std::string>& args, bool cancelled) {
    CapturedConsole console;
    const std::atomic<bool> cancel{cancelled};
    CliRun run;
    run.exitCode = RunArguments(args, *MakeSystemPlatform(), console, cancel);
    run.out = console.out;
    run.err = console.err;
    run.outBytes = console.outBytes;
    return run;
}

std::string Native(const std::filesystem::path& path) {
    return voice::NameBytes(voice::WideFromPath(path));
}

bool Says(const CliRun& run, const std::wstring& text) {
    for (const std::wstring& line : run.err)
        if (line.find(text) != std::wstring::npos)
            return true;
    return false;
}

std::string Dump(const CliRun& run) {
    std::string text;
    for (const std::wstring& line : run.err)
        text += voice::ToUtf8(line) + "\n";
    return text;
}

std::vector<std::vector<std::string>> CsvRows(std::string text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                rows.back().back() += text[++i];
            else if (c == '"')
                quoted = false;
            else
                rows.back().back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            if (i + 1 < text.size())
                rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    return rows;
}

std::map<std::string, std::string> TreeContents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        if (entry.is_symlink() || !entry.is_regular_file()) {
            tree[name] = entry.is_symlink() ? "link" : "folder";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        tree[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return tree;
}

} // namespace voice::cli::test
