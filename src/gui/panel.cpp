#include "gui/panel.h"

#include "gui/font.h"

#include <string>

namespace voice::gui {
namespace {

// One pixel of bevel: light above and left for raised, the reverse for lowered.
void DrawBevel(HDC dc, RECT& rect, Bevel bevel) {
    if (bevel == Bevel::None)
        return;
    COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF dark = ::GetSysColor(COLOR_BTNSHADOW);
    COLORREF topLeft = bevel == Bevel::Raised ? light : dark;
    COLORREF bottomRight = bevel == Bevel::Raised ? dark : light;
    auto line = [dc](COLORREF colour, int x, int y, int w, int h) {
        RECT r{x, y, x + w, y + h};
        ::SetBkColor(dc, colour);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    };
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    line(topLeft, rect.left, rect.top, w, 1);
    line(topLeft, rect.left, rect.top, 1, h);
    line(bottomRight, rect.left, rect.bottom - 1, w, 1);
    line(bottomRight, rect.right - 1, rect.top, 1, h);
    ::InflateRect(&rect, -1, -1);
}

} // namespace

void Panel::Create(HWND parent, int id, int x, int y, int width, int height,
                   const wchar_t* caption) {
    CreateContainer(L"VoicePanel", parent, id, x, y, width, height, caption);
}

void Panel::SetBevels(Bevel outer, Bevel inner) {
    outer_ = outer;
    inner_ = inner;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Panel::SetCaptionAlignment(CaptionAlignment alignment) {
    alignment_ = alignment;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Panel::Paint(HDC dc, const RECT& client) {
    RECT rect = client;
    DrawBevel(dc, rect, outer_);
    DrawBevel(dc, rect, inner_);
    std::wstring caption = Caption();
    if (caption.empty())
        return;
    DcSelection font(dc,
                     Font() ? static_cast<HGDIOBJ>(Font()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ResolveColour(TextColour()));
    ::InflateRect(&rect, -1, 0);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    format |= alignment_ == CaptionAlignment::Left ? DT_LEFT : DT_CENTER;
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect, format);
}

} // namespace voice::gui
