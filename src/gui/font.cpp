#include "gui/font.h"

namespace voice::gui {

COLORREF ResolveColour(COLORREF colour) noexcept {
    return colour == kWindowText ? ::GetSysColor(COLOR_WINDOWTEXT) : colour;
}

FontHandle CreateDesignedFont(const FontSpec& fontSpec, UINT dpi) {
    LOGFONTW lf{};
    // A negative height asks for the character height, which is what the design gives.
    lf.lfHeight = -Scale(fontSpec.pixelHeight, dpi);
    lf.lfWeight = fontSpec.weight;
    lf.lfCharSet = fontSpec.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(lf.lfFaceName, fontSpec.face, LF_FACESIZE);
    return FontHandle(::CreateFontIndirectW(&lf));
}

UINT DpiOfWindow(HWND hwnd) noexcept {
    // GetDpiForWindow exists from Windows 10 on; older systems have one DPI for all.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd) {
        UINT dpi = getDpiForWindow(hwnd);
        if (dpi)
            return dpi;
    }
    return SystemDpi();
}

UINT SystemDpi() noexcept {
    WindowDc screen(nullptr);
    int dpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

} // namespace voice::gui
