#include "gui/child_window.h"

#include "gui/font.h"
#include "platform/app_error.h"

#include <commctrl.h>

namespace voice::gui {

HWND CreateChildWindow(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text,
                       HWND parent, int id, int x, int y, int width, int height) {
    EnsureCommonControls();
    HWND hwnd = ::CreateWindowExW(
        exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        throw AppError(L"Cannot create a window of class " + std::wstring(className));
    return hwnd;
}

bool AnswerControlColour(UINT msg, WPARAM wp, COLORREF textColour, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC && msg != WM_CTLCOLORBTN)
        return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetTextColor(dc, ResolveColour(textColour));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

void EnsureCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                                  ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                  ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

} // namespace voice::gui
