#pragma once
// Fixed text.

#include "gui/coloured_control.h"

namespace voice::gui {

class Label : public ColouredControl {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height, const wchar_t* caption);
};

} // namespace voice::gui
