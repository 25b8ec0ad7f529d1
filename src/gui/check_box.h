#pragma once
// A box with its caption to the right, toggled by click or space bar.

#include "gui/coloured_control.h"

namespace voice::gui {

class CheckBox : public ColouredControl {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height, const wchar_t* caption);
    bool Checked() const;
    void SetChecked(bool checked);
};

} // namespace voice::gui
