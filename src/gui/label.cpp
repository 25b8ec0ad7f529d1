#include "gui/label.h"

namespace voice::gui {

void Label::Create(HWND parent, int id, int x, int y, int width, int height,
                   const wchar_t* caption) {
    Attach(CreateChildWindow(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, caption, parent, id, x, y, width,
                             height));
}

} // namespace voice::gui
