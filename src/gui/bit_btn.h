#pragma once
// A push button showing a small glyph left of its caption. The glyph is a bitmap
// resource whose bottom-left pixel gives the transparent colour.

#include "gui/button.h"
#include "platform/unique_handle.h"

namespace voice::gui {

// The standard glyphs of this program's bitmap buttons (resource names).
inline constexpr wchar_t kRetryGlyph[] = L"BBRETRY";
inline constexpr wchar_t kOkGlyph[] = L"BBOK";

class BitBtn : public Button {
public:
    // Loads the glyph from the executable's resources; throws when it is missing.
    void SetGlyph(const wchar_t* resourceName);
    bool HasGlyph() const noexcept { return static_cast<bool>(glyph_); }

protected:
    void DrawContent(HDC dc, RECT content, bool enabled) override;

private:
    BitmapHandle glyph_;
    SIZE glyphSize_{};
};

} // namespace voice::gui
