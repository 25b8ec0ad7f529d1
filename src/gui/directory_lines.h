#pragma once
// The lines a directory list shows for a directory D: its root, one line per further
// level of D's path (the last being D's own), then D's subdirectories. Pure text work,
// apart from lower-casing.

#include <string>
#include <vector>

namespace voice::gui {

enum class FolderGlyph { Open, Current, Closed };

struct DirectoryLine {
    std::wstring text;   // what the line shows
    std::wstring target; // the directory that opening the line enters
    int indent;          // pixels from the left edge to the glyph
    FolderGlyph glyph;
};

// Splits a path into its drive part ("C:" or "\\server\share") and the rest; the drive
// part is empty when the path has none.
struct DrivePart {
    std::wstring drive;
    std::wstring rest;
};
DrivePart SplitDrivePart(const std::wstring& path);

// `directory` as the system reports it ("C:\REC\CH1", "C:\", "\\srv\share\dir");
// `subdirectories` already filtered and sorted. With `lowerCase` every name is shown in
// lower case (volumes that neither preserve case nor are case-sensitive).
std::vector<DirectoryLine> BuildDirectoryLines(const std::wstring& directory,
                                               const std::vector<std::wstring>& subdirectories,
                                               bool lowerCase);

// Index of D's own line among the lines of `directory` (the root line for a root).
int OwnLineIndex(const std::wstring& directory);

// Orders subdirectory names without regard to case (ASCII letters folded, other
// characters by their place in the ANSI code page).
void SortNamesIgnoringCase(std::vector<std::wstring>& names);

} // namespace voice::gui
