#pragma once
// The directory list: an owner-drawn list of one directory's path and subdirectories.
// Changing Directory enters the new directory: a successful change leaves the process's
// current directory there. A double-click or Enter opens the line under the selection.

#include "gui/control.h"
#include "gui/directory_lines.h"
#include "gui/list_glyph.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace voice::gui {

class DirectoryListBox : public Control {
public:
    // Directory starts as the process's current directory.
    DirectoryListBox();

    // Creates the window, showing the process's current directory (no OnChange).
    void Create(HWND parent, UINT id, int x, int y, int width, int height);

    // Full path as the system reports it after entering: "C:\REC\CH1", "C:\",
    // "\\server\share\dir".
    const std::wstring& Directory() const noexcept { return directory_; }
    // Enters `path` (absolute, drive-relative or relative to the current directory) and
    // shows it, then raises OnChange. Nothing happens for an empty path or the directory
    // already shown. Throws InOutError (the system's error code) when a part cannot be
    // entered; Directory, the lines, the selection and the process's current directory
    // then stay as they were.
    void SetDirectory(std::wstring path);

    // First character of Directory.
    wchar_t Drive() const noexcept { return directory_.empty() ? 0 : directory_[0]; }
    // Moves to the directory last used on drive `letter`, or its root; nothing when
    // `letter` is the current drive (ignoring case).
    void SetDrive(wchar_t letter);

    // Raised after every successful change of Directory.
    std::function<void()> OnChange;

    // Sets Directory to the directory of line `index` (what a double-click or Enter does).
    void OpenLine(int index);

    const std::vector<DirectoryLine>& Lines() const noexcept { return lines_; }
    int SelectedIndex() const; // -1 when none

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Rebuild();
    void UpdateItemHeight();
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    bool SameDirectory(const std::wstring& path) const;

    std::array<ListGlyph, 3> glyphs_; // indexed by FolderGlyph
    std::wstring directory_;
    bool caseSensitive_ = false;
    std::vector<DirectoryLine> lines_;
};

} // namespace voice::gui
