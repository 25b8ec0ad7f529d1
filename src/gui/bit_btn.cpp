#include "gui/bit_btn.h"

#include "gui/font.h"
#include "platform/app_error.h"

#include <string>

namespace voice::gui {

void BitBtn::SetGlyph(const wchar_t* resourceName) {
    HANDLE image = ::LoadImageW(::GetModuleHandleW(nullptr), resourceName, IMAGE_BITMAP, 0, 0,
                                LR_CREATEDIBSECTION);
    if (!image)
        throw AppError(L"Missing bitmap resource " + std::wstring(resourceName));
    glyph_.Reset(static_cast<HBITMAP>(image));
    BITMAP info{};
    ::GetObjectW(glyph_.Get(), sizeof(info), &info);
    glyphSize_ = {info.bmWidth, info.bmHeight};
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void BitBtn::DrawContent(HDC dc, RECT content, bool enabled) {
    std::wstring caption = Caption();
    DcSelection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    SIZE text{};
    ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    const int glyphW = glyph_ ? Scale(glyphSize_.cx, Dpi()) : 0;
    const int glyphH = glyph_ ? Scale(glyphSize_.cy, Dpi()) : 0;
    const int spacing = glyph_ && !caption.empty() ? Scale(4, Dpi()) : 0;
    const int total = glyphW + spacing + text.cx;
    const int left = content.left + ((content.right - content.left) - total) / 2;
    if (glyph_) {
        MemoryDc memory(dc);
        DcSelection bitmap(memory.Get(), glyph_.Get());
        COLORREF transparent = ::GetPixel(memory.Get(), 0, glyphSize_.cy - 1);
        const int top = content.top + ((content.bottom - content.top) - glyphH) / 2;
        ::TransparentBlt(dc, left, top, glyphW, glyphH, memory.Get(), 0, 0, glyphSize_.cx,
                         glyphSize_.cy, transparent);
    }
    RECT textRect{left + glyphW + spacing, content.top, content.right, content.bottom};
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled ? ResolveColour(TextColour()) : ::GetSysColor(COLOR_GRAYTEXT));
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

} // namespace voice::gui
