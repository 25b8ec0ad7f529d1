#include "gui/group_box.h"

#include "gui/font.h"

#include <string>

namespace voice::gui {

void GroupBox::Create(HWND parent, int id, int x, int y, int width, int height,
                      const wchar_t* caption) {
    CreateContainer(L"VoiceGroupBox", parent, id, x, y, width, height, caption);
}

void GroupBox::Paint(HDC dc, const RECT& client) {
    DcSelection font(dc,
                     Font() ? static_cast<HGDIOBJ>(Font()) : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    std::wstring caption = Caption();

    RECT frame = client;
    frame.top += tm.tmHeight / 2;
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

    if (caption.empty())
        return;
    const int indent = tm.tmAveCharWidth + 2;
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    RECT text{client.left + indent, client.top, client.left + indent + extent.cx + 2,
              client.top + tm.tmHeight};
    ::FillRect(dc, &text, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, Enabled() ? ResolveColour(TextColour()) : ::GetSysColor(COLOR_GRAYTEXT));
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace voice::gui
