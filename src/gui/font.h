#pragma once
// Fonts as the window's design gives them (face, character height in pixels at 96 dpi,
// weight, colour, character set) and the scaling of designed pixels to the actual DPI.

#include "platform/unique_handle.h"

#include <windows.h>

namespace voice::gui {

inline constexpr UINT kDesignDpi = 96;

inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kNavy = RGB(0, 0, 128);
inline constexpr COLORREF kMaroon = RGB(128, 0, 0);
// Resolved to the system's window-text colour when drawn.
inline constexpr COLORREF kWindowText = 0xFF000000;

struct FontSpec {
    const wchar_t* face = nullptr; // nullptr: no font of its own (the parent's is used)
    int pixelHeight = 0;           // character height at 96 dpi
    int weight = FW_NORMAL;
    COLORREF colour = kBlack;
    BYTE charset = RUSSIAN_CHARSET;

    explicit operator bool() const noexcept { return face != nullptr; }
};

inline int Scale(int designed, UINT dpi) {
    return ::MulDiv(designed, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

COLORREF ResolveColour(COLORREF colour) noexcept;

FontHandle CreateDesignedFont(const FontSpec& fontSpec, UINT dpi);

// The DPI the window is shown at (per monitor where the system knows it).
UINT DpiOfWindow(HWND hwnd) noexcept;
// The DPI of the screen before any window exists.
UINT SystemDpi() noexcept;

} // namespace voice::gui
