#pragma once
// The drive box: an owner-drawn drop-down list of the machine's drives, each with its
// kind's glyph. The list is read once, when the window is created.
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

    int ItemCount() const;
    std::wstring ItemText(int index) const;
    int SelectedIndex() const; // -1 when none

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void UpdateItemHeights();
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    const ListGlyph& GlyphOf(DriveKind kind) const;

    std::array<ListGlyph, 5> glyphs_; // indexed by DriveKind
    wchar_t drive_ = 0;
    int closedHeight_ = 0;
};

} // namespace voice::gui
