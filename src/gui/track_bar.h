#pragma once
// A horizontal slider over a range with tick marks below. OnChange is raised whenever
// the position changes, whether the user or the program moved it.

#include "gui/control.h"

#include <functional>

namespace voice::gui {

class TrackBar : public Control {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height);

    int Min() const noexcept { return min_; }
    int Max() const noexcept { return max_; }
    void SetRange(int min, int max);
    int Position() const noexcept { return position_; }
    // Clamps to the range; raises OnChange only when the value changes.
    void SetPosition(int position);

    std::function<void()> OnChange;

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Changed(int position);
    int min_ = 0;
    int max_ = 10;
    int position_ = 0;
};

} // namespace voice::gui
