#pragma once
// A group box holding one radio button per item, arranged in columns. The item index is
// -1 while no item is selected. OnClick is raised only when the user selects an item that
// was not selected.

#include "gui/group_box.h"

#include <functional>
#include <string>
#include <vector>

namespace voice::gui {

class RadioGroup : public GroupBox {
public:
    void SetItems(const std::vector<std::wstring>& items);
    int ItemCount() const noexcept { return static_cast<int>(buttons_.size()); }
    void SetColumns(int columns);
    int Columns() const noexcept { return columns_; }

    int ItemIndex() const noexcept { return itemIndex_; }
    // Selects without raising OnClick; -1 or an index out of range clears the selection.
    void SetItemIndex(int index);
    HWND ItemHandle(int index) const { return buttons_.at(static_cast<size_t>(index)); }

    std::function<void()> OnClick;

protected:
    bool OnChildNotification(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnFontChanged() override;

private:
    void Arrange();
    std::vector<HWND> buttons_;
    int columns_ = 1;
    int itemIndex_ = -1;
};

} // namespace voice::gui
