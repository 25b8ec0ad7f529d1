#include "gui/static_text.h"

namespace voice::gui {

void StaticText::Create(HWND parent, int id, int x, int y, int width, int height,
                        const wchar_t* caption) {
    Attach(CreateChildWindow(L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_SUNKEN, 0, caption,
                             parent, id, x, y, width, height));
}

void StaticText::SetText(const std::wstring& text) {
    ::SetWindowTextW(Handle(), text.c_str());
    ::InvalidateRect(Handle(), nullptr, TRUE);
    ::UpdateWindow(Handle());
}

} // namespace voice::gui
