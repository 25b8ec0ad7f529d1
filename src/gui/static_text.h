#pragma once
// One line of text in a sunken frame of fixed size.

#include "gui/coloured_control.h"

#include <string>

namespace voice::gui {

class StaticText : public ColouredControl {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height, const wchar_t* caption);
    // Sets the text and repaints at once, so it shows even while a long operation blocks
    // the message loop.
    void SetText(const std::wstring& text);
};

} // namespace voice::gui
