#include "gui/radio_group.h"

#include "gui/child_window.h"
#include "platform/unique_handle.h"

#include <algorithm>

namespace voice::gui {

// One radio button. The dialog manager's Tab gives it the focus, and on Windows a button
// that gets the focus unchecked other than by the mouse reports a click to its parent;
// that click is nobody's choice and is dropped here. The arrow keys are the button's own, so that
// moving to another item is a choice made here, once.
class RadioGroup::Item : public Control {
public:
    Item(RadioGroup& group, int index, const wchar_t* caption, DWORD style)
        : group_(group), index_(index) {
        Attach(CreateChildWindow(L"BUTTON", BS_RADIOBUTTON | style, 0, caption, group.Handle(),
                                 index + 1, 0, 0, 0, 0));
    }

    bool OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED)
            return false;
        if (!gettingFocus_)
            group_.UserSelects(index_);
        result = 0;
        return true;
    }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_GETDLGCODE:
            return CallDefault(msg, wp, lp) | DLGC_WANTARROWS;
        case WM_KEYDOWN:
            if (wp == VK_LEFT || wp == VK_UP || wp == VK_RIGHT || wp == VK_DOWN) {
                group_.MoveByArrow(index_, wp == VK_LEFT || wp == VK_UP ? -1 : 1);
                return 0;
            }
            break;
        case WM_SETFOCUS: {
            gettingFocus_ = true;
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset{gettingFocus_};
            return CallDefault(msg, wp, lp);
        }
        default:
            break;
        }
        return CallDefault(msg, wp, lp);
    }

private:
    RadioGroup& group_;
    int index_;
    bool gettingFocus_ = false;
};

RadioGroup::RadioGroup() = default;
RadioGroup::~RadioGroup() = default;

HWND RadioGroup::ItemHandle(int index) const {
    return items_.at(static_cast<size_t>(index))->Handle();
}

void RadioGroup::SetItems(const std::vector<std::wstring>& items) {
    items_.clear();
    for (size_t i = 0; i < items.size(); ++i) {
        auto item = std::make_unique<Item>(*this, static_cast<int>(i), items[i].c_str(),
                                           i == 0 ? WS_GROUP : 0);
        ::SendMessageW(item->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        items_.push_back(std::move(item));
    }
    SetItemIndex(-1);
    Arrange();
}

void RadioGroup::SetColumns(int columns) {
    columns_ = std::max(1, columns);
    Arrange();
}

void RadioGroup::SetItemIndex(int index) {
    if (index < 0 || index >= ItemCount())
        index = -1;
    itemIndex_ = index;
    // Tab enters the group at its one tab stop: the checked item, or the first while none
    // is. Checking a radio button moves the style by itself, unchecking all removes it.
    const int tabStop = std::max(index, 0);
    for (int i = 0; i < ItemCount(); ++i) {
        HWND button = ItemHandle(i);
        ::SendMessageW(button, BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
        const LONG style = ::GetWindowLongW(button, GWL_STYLE);
        const LONG wanted = i == tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP;
        if (wanted != style)
            ::SetWindowLongW(button, GWL_STYLE, wanted);
    }
}

void RadioGroup::UserSelects(int index) {
    if (index == itemIndex_)
        return;
    SetItemIndex(index);
    if (OnClick)
        OnClick();
}

// As the dialog manager moves within a group: round the items, passing over those that
// cannot take the focus.
void RadioGroup::MoveByArrow(int from, int step) {
    const int count = ItemCount();
    for (int moved = 1; moved < count; ++moved) {
        const int index = ((from + step * moved) % count + count) % count;
        HWND button = ItemHandle(index);
        if (!::IsWindowEnabled(button) || !(::GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE))
            continue;
        ::SetFocus(button);
        UserSelects(index);
        return;
    }
}

void RadioGroup::OnFontChanged() {
    for (const auto& item : items_)
        ::SendMessageW(item->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    Arrange();
}

// Items fill the space below the caption, down each column, columns of equal width.
void RadioGroup::Arrange() {
    if (items_.empty() || !Handle())
        return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    int captionHeight = 13;
    if (Font()) {
        WindowDc dc(Handle());
        DcSelection font(dc.Get(), Font());
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc.Get(), &tm);
        captionHeight = tm.tmHeight;
    }
    const int rows = (ItemCount() + columns_ - 1) / columns_;
    const int left = 8;
    const int top = captionHeight;
    const int width = std::max(1, static_cast<int>(client.right - left - 4) / columns_);
    const int height = std::max(1, static_cast<int>(client.bottom - top - 3) / rows);
    for (int i = 0; i < ItemCount(); ++i) {
        int row = i % rows; // down each column first
        int column = i / rows;
        ::MoveWindow(ItemHandle(i), left + column * width, top + row * height, width, height, TRUE);
    }
}

} // namespace voice::gui
