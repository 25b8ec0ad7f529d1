#include "gui/radio_group.h"

#include "gui/child_window.h"
#include "platform/unique_handle.h"

#include <algorithm>

namespace voice::gui {

void RadioGroup::SetItems(const std::vector<std::wstring>& items) {
    for (HWND button : buttons_)
        ::DestroyWindow(button);
    buttons_.clear();
    itemIndex_ = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        DWORD style = BS_RADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND button = CreateChildWindow(L"BUTTON", style, 0, items[i].c_str(), Handle(),
                                        static_cast<int>(i) + 1, 0, 0, 0, 0);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        buttons_.push_back(button);
    }
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
    for (int i = 0; i < ItemCount(); ++i)
        ::SendMessageW(buttons_[static_cast<size_t>(i)], BM_SETCHECK,
                       i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool RadioGroup::OnChildNotification(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        auto found = std::find(buttons_.begin(), buttons_.end(), reinterpret_cast<HWND>(lp));
        if (found != buttons_.end()) {
            int index = static_cast<int>(found - buttons_.begin());
            if (index != itemIndex_) {
                SetItemIndex(index);
                if (OnClick)
                    OnClick();
            }
            result = 0;
            return true;
        }
    }
    return GroupBox::OnChildNotification(msg, wp, lp, result);
}

void RadioGroup::OnFontChanged() {
    for (HWND button : buttons_)
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    Arrange();
}

// Items fill the space below the caption, down each column, columns of equal width.
void RadioGroup::Arrange() {
    if (buttons_.empty() || !Handle())
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
        ::MoveWindow(buttons_[static_cast<size_t>(i)], left + column * width, top + row * height,
                     width, height, TRUE);
    }
}

} // namespace voice::gui
