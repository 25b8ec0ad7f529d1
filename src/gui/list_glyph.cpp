#include "gui/list_glyph.h"

#include "platform/app_error.h"

namespace voice::gui {

ListGlyph::ListGlyph(const wchar_t* name) {
    HBITMAP loaded = static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, 0));
    if (!loaded)
        throw AppError(L"Bitmap resource not found: " + std::wstring(name));
    BitmapHandle source(loaded);
    BITMAP info{};
    ::GetObjectW(source.Get(), sizeof info, &info);
    width_ = info.bmWidth;
    height_ = info.bmHeight;

    // The mask is built once: white where the source has the bottom-left pixel's colour.
    MemoryDc sourceDc(nullptr);
    MemoryDc maskDc(nullptr);
    WindowDc screen(nullptr);
    image_.Reset(::CreateCompatibleBitmap(screen.Get(), width_, height_));
    mask_.Reset(::CreateBitmap(width_, height_, 1, 1, nullptr));
    MemoryDc imageDc(nullptr);
    {
        DcSelection selectSource(sourceDc.Get(), source.Get());
        DcSelection selectMask(maskDc.Get(), mask_.Get());
        DcSelection selectImage(imageDc.Get(), image_.Get());
        const COLORREF transparent = ::GetPixel(sourceDc.Get(), 0, height_ - 1);
        ::SetBkColor(sourceDc.Get(), transparent);
        ::BitBlt(maskDc.Get(), 0, 0, width_, height_, sourceDc.Get(), 0, 0, SRCCOPY);
        // image = source with transparent pixels black: the mask's white (1) bits become
        // the background colour black, its black (0) bits the text colour white.
        ::BitBlt(imageDc.Get(), 0, 0, width_, height_, sourceDc.Get(), 0, 0, SRCCOPY);
        ::SetBkColor(imageDc.Get(), RGB(0, 0, 0));
        ::SetTextColor(imageDc.Get(), RGB(255, 255, 255));
        ::BitBlt(imageDc.Get(), 0, 0, width_, height_, maskDc.Get(), 0, 0, SRCAND);
    }
}

void ListGlyph::Draw(HDC dc, int x, int y) const {
    if (!image_)
        return;
    MemoryDc memory(dc);
    COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    {
        DcSelection selectMask(memory.Get(), mask_.Get());
        ::BitBlt(dc, x, y, width_, height_, memory.Get(), 0, 0, SRCAND);
    }
    {
        DcSelection selectImage(memory.Get(), image_.Get());
        ::BitBlt(dc, x, y, width_, height_, memory.Get(), 0, 0, SRCPAINT);
    }
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
}

void DrawGlyphLine(const DRAWITEMSTRUCT& item, const ListGlyph* glyph, int x, int textGap,
                   const std::wstring& text) {
    HDC dc = item.hDC;
    const RECT& box = item.rcItem;
    if (item.itemAction == ODA_FOCUS) {
        ::DrawFocusRect(dc, &box);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &box, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (glyph) {
        glyph->Draw(dc, x, box.top + (box.bottom - box.top - glyph->Height()) / 2);
        RECT textBox = box;
        textBox.left = x + glyph->Width() + textGap;
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS)
        ::DrawFocusRect(dc, &box);
}

} // namespace voice::gui
