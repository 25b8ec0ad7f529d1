#pragma once
// A small bitmap resource drawn in an owner-drawn list line, its bottom-left pixel's
// colour showing the background through.

#include "platform/unique_handle.h"

#include <string>
#include <windows.h>

namespace voice::gui {

class ListGlyph {
public:
    ListGlyph() = default;
    // Loads the bitmap resource `name` from the executable; throws AppError when missing.
    explicit ListGlyph(const wchar_t* name);

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    explicit operator bool() const noexcept { return static_cast<bool>(image_); }

    // Draws the glyph with its top-left corner at (x, y).
    void Draw(HDC dc, int x, int y) const;

private:
    BitmapHandle image_; // transparent pixels turned black, ready to be OR-ed in
    BitmapHandle mask_;  // monochrome: white where transparent
    int width_ = 0;
    int height_ = 0;
};

// Paints one owner-drawn line: background (highlighted when selected), then, when a glyph
// is given, the glyph at x centred vertically and the text textGap pixels right of it,
// and the focus rectangle. A focus-only action just toggles the focus rectangle.
void DrawGlyphLine(const DRAWITEMSTRUCT& item, const ListGlyph* glyph, int x, int textGap,
                   const std::wstring& text);

} // namespace voice::gui
