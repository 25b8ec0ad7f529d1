#pragma once
// A pair of stacked arrow buttons (the common up-down control) attached to no other
// control. It keeps a position of its own within Minimum..Maximum, without wrapping;
// a click that moves that position raises OnClick with the arrow's direction, and a
// click that cannot move it (down at the minimum, up at the maximum) raises nothing.
// Holding an arrow pressed repeats the click.

#include "gui/control.h"
#include "gui/up_down_button.h"

#include <functional>

namespace voice::gui {

class UpDown : public Control {
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 100;

    // Created disabled, at position 0, stepping by 1; the upper arrow is Up.
    void Create(HWND parent, UINT id, int x, int y, int width, int height);

    int Increment() const noexcept { return increment_; }
    int Position() const;

    std::function<void(UpDownButton)> OnClick;

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int increment_ = 1;
    int lastPosition_ = 0; // position after the last click, to tell whether a click moved it
};

} // namespace voice::gui
