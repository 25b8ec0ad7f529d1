#include "gui/message_box.h"

namespace voice::gui {

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

} // namespace voice::gui
