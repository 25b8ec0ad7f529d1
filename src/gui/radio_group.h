#pragma once
// A group box holding one radio button per item, arranged in columns. The item index is
// -1 while no item is selected. OnClick is raised only when the user selects an item that
// was not selected: by a mouse click, by Space, or by an arrow key, which moves to the
// previous or next item and selects it. The keyboard's Tab reaches the group at its
// selected item (at the first while none is), and receiving the focus selects nothing.

#include "gui/control.h"
#include "gui/group_box.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace voice::gui {

class RadioGroup : public GroupBox {
public:
    RadioGroup();
    ~RadioGroup() override;

    void SetItems(const std::vector<std::wstring>& items);
    int ItemCount() const noexcept { return static_cast<int>(items_.size()); }
    void SetColumns(int columns);
    int Columns() const noexcept { return columns_; }

    int ItemIndex() const noexcept { return itemIndex_; }
    // Selects without raising OnClick; -1 or an index out of range clears the selection.
    void SetItemIndex(int index);
    HWND ItemHandle(int index) const;

    std::function<void()> OnClick;

protected:
    void OnFontChanged() override;

private:
    class Item;
    void UserSelects(int index);
    void MoveByArrow(int from, int step);
    void Arrange();
    std::vector<std::unique_ptr<Item>> items_;
    int columns_ = 1;
    int itemIndex_ = -1;
};

} // namespace voice::gui
