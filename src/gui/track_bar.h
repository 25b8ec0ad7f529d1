#pragma once
// A horizontal slider over a range with tick marks below. OnChange is raised whenever
// the position changes, whether the user or the program moved it, and once for every
// action of the user on the bar that leaves the position as it was (a click on the thumb,
// Home at the start).

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

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Records the new position; raises OnChange when it differs. Returns whether it did.
    bool Changed(int position);
    void Raise();
    bool raisedInAction_ = false; // the user's current action has raised OnChange
    int min_ = 0;
    int max_ = 10;
    int position_ = 0;
};

} // namespace voice::gui
