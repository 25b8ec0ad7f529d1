#include "gui/check_box.h"

namespace voice::gui {

void CheckBox::Create(HWND parent, int id, int x, int y, int width, int height,
                      const wchar_t* caption) {
    Attach(CreateChildWindow(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, caption, parent, id, x, y,
                             width, height));
}

bool CheckBox::Checked() const {
    return ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) {
    ::SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace voice::gui
