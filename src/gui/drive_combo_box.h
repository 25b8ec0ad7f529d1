#pragma once
// The drive box: an owner-drawn drop-down list of the machine's drives, each with its
// kind's glyph. The list is read once. At creation only the current drive is asked for
// its label: any other drive (a network share, a CD, a floppy) may take seconds to
// answer, and the window must not wait for it to be shown. The other drives join the
// list when it is first needed: dropped down, focused, asked for a drive it does not
// hold yet, or read through ItemCount and ItemText.
//
// Create() selects the current directory's drive and raises OnChange once. The chooser's
// handler then sets the directory list's Drive to that drive; the directory list already
// holds the current directory from its construction on, so nothing happens there, in
// whatever order the two windows are created.

#include "gui/control.h"
#include "gui/drive_info.h"
#include "gui/list_glyph.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace voice::gui {

class DriveComboBox : public Control {
public:
    DriveComboBox();

    // Creates the window: `height` is the closed box's height; the drop-down shows up to
    // eight drives.
    void Create(HWND parent, UINT id, int x, int y, int width, int height);

    // The selected drive's letter in lower case, or 0.
    wchar_t Drive() const noexcept { return drive_; }
    // Selects the first drive whose item begins with `letter` and ":" (the selection stays
    // when there is none); 0 clears the selection. Raises OnChange unless an item is
    // selected and `letter` already is the drive (ignoring case).
    void SetDrive(wchar_t letter);

    // Raised after every change of Drive, by the program or by the user.
    std::function<void()> OnChange;

    // The complete list (read on first use).
    int ItemCount() const;
    std::wstring ItemText(int index) const;
    int SelectedIndex() const; // -1 when none
    // Whether the drives beyond the current one have been read.
    bool Complete() const noexcept { return complete_; }

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void AddItems(const std::vector<DriveItem>& drives) const;
    // Reads every drive once and lists them, keeping the selected drive.
    void CompleteList() const;
    int FindDrive(wchar_t letter) const; // -1 when not listed
    std::wstring RawItemText(int index) const;
    void UpdateItemHeights();
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    const ListGlyph& GlyphOf(DriveKind kind) const;

    mutable std::array<ListGlyph, 5> glyphs_; // indexed by DriveKind; loaded on first use
    wchar_t drive_ = 0;
    int closedHeight_ = 0;
    // The list's window is filled lazily, also from const queries.
    mutable bool complete_ = false;
};

} // namespace voice::gui
