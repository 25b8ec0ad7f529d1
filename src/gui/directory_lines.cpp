#include "gui/directory_lines.h"

#include "platform/text.h"

#include <windows.h>

#include <algorithm>

namespace voice::gui {
namespace {

constexpr wchar_t kSeparator = L'\\';

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::vector<std::wstring> Components(const std::wstring& rest) {
    std::vector<std::wstring> parts;
    std::wstring part;
    for (wchar_t c : rest) {
        if (IsSeparator(c)) {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

std::wstring Shown(std::wstring text, bool lowerCase) {
    if (lowerCase && !text.empty())
        ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// ANSI bytes with a..z folded to A..Z: the order the program's 8-bit texts sort in.
std::string SortKey(const std::wstring& name) {
    std::string key = WideToAnsi(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

} // namespace

DrivePart SplitDrivePart(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':' && ::IsCharAlphaW(path[0]))
        return {path.substr(0, 2), path.substr(2)};
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share: the drive part ends before the separator after the share.
        size_t server = path.find_first_of(L"\\/", 2);
        size_t share =
            server == std::wstring::npos ? server : path.find_first_of(L"\\/", server + 1);
        if (share == std::wstring::npos)
            return {path, L""};
        return {path.substr(0, share), path.substr(share)};
    }
    return {L"", path};
}

std::vector<DirectoryLine> BuildDirectoryLines(const std::wstring& directory,
                                               const std::vector<std::wstring>& subdirectories,
                                               bool lowerCase) {
    const DrivePart split = SplitDrivePart(directory);
    const bool network = split.drive.size() > 2;
    const std::vector<std::wstring> levels = Components(split.rest);
    std::vector<DirectoryLine> lines;
    lines.reserve(1 + levels.size() + subdirectories.size());

    std::wstring path = split.drive + kSeparator;
    // A drive root is its own current line; a share's root keeps the open folder.
    const FolderGlyph rootGlyph =
        levels.empty() && !network ? FolderGlyph::Current : FolderGlyph::Open;
    lines.push_back({Shown(path, lowerCase), path, 2, rootGlyph});
    for (size_t i = 0; i < levels.size(); ++i) {
        if (i > 0)
            path += kSeparator;
        path += levels[i];
        const bool own = i + 1 == levels.size();
        lines.push_back({Shown(levels[i], lowerCase), path, 2 + 4 * static_cast<int>(i + 1),
                         own ? FolderGlyph::Current : FolderGlyph::Open});
    }

    const int separators =
        static_cast<int>(std::count(directory.begin(), directory.end(), kSeparator));
    std::wstring prefix = directory;
    if (prefix.empty() || !IsSeparator(prefix.back()))
        prefix += kSeparator;
    for (const std::wstring& name : subdirectories)
        lines.push_back(
            {Shown(name, lowerCase), prefix + name, 6 + 4 * separators, FolderGlyph::Closed});
    return lines;
}

int OwnLineIndex(const std::wstring& directory) {
    return static_cast<int>(Components(SplitDrivePart(directory).rest).size());
}

void SortNamesIgnoringCase(std::vector<std::wstring>& names) {
    std::vector<std::pair<std::string, std::wstring>> keyed;
    keyed.reserve(names.size());
    for (std::wstring& name : names)
        keyed.emplace_back(SortKey(name), std::move(name));
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first); // compares as unsigned bytes
        return order != 0 ? order < 0 : a.second < b.second;
    });
    names.clear();
    for (auto& entry : keyed)
        names.push_back(std::move(entry.second));
}

} // namespace voice::gui
