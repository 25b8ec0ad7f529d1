#pragma once
// Lines of text with a fixed line height and a vertical scroll bar, no horizontal
// scrolling, extended multiple selection. Raises OnClick whenever the user changes the
// selection (mouse or keyboard): a click or key that leaves the same lines selected raises
// nothing. OnDblClick on a double click.

#include "gui/control.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace voice::gui {

class ListBox : public Control {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height);

    // Line height in pixels; kept across font changes.
    void SetLineHeight(int pixels);
    int LineHeight() const;

    // Replaces all lines at once, drawing nothing in between.
    void SetLines(std::span<const std::wstring> lines);
    void Clear();
    int Count() const;
    std::wstring Line(int index) const;
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    // The selected lines, ascending.
    std::vector<int> SelectedIndices() const;

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // Right button, Shift+F10 or the Menu key: where the menu goes, in screen pixels.
    std::function<void(POINT screen)> OnContextMenu;

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The selection last reported or set by the program, against which the user's next
    // change is measured.
    std::vector<int> selection_;
    int depth_ = 0; // nesting of the control's own messages
    int lineHeight_ = 0;
};

} // namespace voice::gui
