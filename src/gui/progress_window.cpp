#include "gui/progress_window.h"

#include "gui/child_window.h"
#include "gui/font.h"
#include "platform/app_error.h"

#include <commctrl.h>

namespace voice::gui {
namespace {

constexpr int kBarRange = 1000;

// Layout in pixels at 96 dpi: client 420 × 118.
constexpr int kClientWidth = 420;
constexpr int kClientHeight = 118;

FontHandle MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return FontHandle(CreateDesignedFont({L"MS Sans Serif", 11, FW_NORMAL}, dpi));
    return FontHandle(::CreateFontIndirectW(&metrics.lfMessageFont));
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

} // namespace

ProgressWindow::~ProgressWindow() {
    Destroy();
}

void ProgressWindow::Create(HWND owner, const std::wstring& caption) {
    Destroy();
    const UINT dpi = DpiOfWindow(owner);
    RECT frame{0, 0, Scale(kClientWidth, dpi), Scale(kClientHeight, dpi)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    const int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    const int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
    if (!CreateWindowObject(L"VoiceProgress", 0, ::GetSysColorBrush(COLOR_BTNFACE), exStyle, style,
                            caption.c_str(), x, y, width, height, owner, 0))
        throw AppError(L"Cannot create the progress window");

    auto at = [dpi](int v) { return Scale(v, dpi); };
    HWND self = Handle();
    bar_ = CreateChildWindow(PROGRESS_CLASSW, 0, 0, L"", self, 1, at(12), at(12), at(396), at(18));
    ::SendMessageW(bar_, PBM_SETRANGE32, 0, kBarRange);
    count_ = CreateChildWindow(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, L"", self, 2, at(12), at(36),
                               at(396), at(16));
    // Until the work reports its first item.
    item_ = CreateChildWindow(L"STATIC", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 0, L"Подготовка…",
                              self, 3, at(12), at(54), at(396), at(16));
    cancel_ = CreateChildWindow(L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, L"Отмена", self,
                                IDCANCEL, at(170), at(82), at(80), at(26));
    font_ = MessageFont(dpi);
    for (HWND child : {count_, item_, cancel_})
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

void ProgressWindow::Destroy() {
    if (Handle())
        ::DestroyWindow(Handle());
    bar_ = count_ = item_ = cancel_ = nullptr;
}

void ProgressWindow::ShowProgress(std::size_t index, std::size_t total, const std::wstring& item) {
    if (!Handle())
        return;
    const int position =
        total == 0 ? 0 : static_cast<int>(static_cast<double>(index) * kBarRange / total);
    ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    const std::wstring count = std::to_wstring(index + 1) + L" из " + std::to_wstring(total);
    ::SetWindowTextW(count_, count.c_str());
    ::SetWindowTextW(item_, item.c_str());
}

void ProgressWindow::ShowCancelling() {
    if (!Handle())
        return;
    ::EnableWindow(cancel_, FALSE);
    ::SetWindowTextW(item_, L"Остановка после текущего файла…");
}

std::wstring ProgressWindow::CountText() const {
    return TextOf(count_);
}

std::wstring ProgressWindow::ItemText() const {
    return TextOf(item_);
}

LRESULT ProgressWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        // The button, or Escape through the dialog manager.
        if (LOWORD(wp) == IDCANCEL) {
            if (OnCancel)
                OnCancel();
            return 0;
        }
        break;
    case WM_CLOSE:
        if (OnCancel)
            OnCancel();
        return 0;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
        break;
    }
    return DefaultHandling(msg, wp, lp);
}

} // namespace voice::gui
