#pragma once
// A frame with its caption at the top left, holding child controls.

#include "gui/container.h"

namespace voice::gui {

class GroupBox : public Container {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height, const wchar_t* caption);

protected:
    void Paint(HDC dc, const RECT& client) override;
};

} // namespace voice::gui
