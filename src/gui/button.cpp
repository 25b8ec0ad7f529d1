#include "gui/button.h"

#include "gui/child_window.h"
#include "gui/font.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace voice::gui {
namespace {

class ThemeData {
public:
    ThemeData(HWND hwnd, const wchar_t* classes)
        : theme_(::IsAppThemed() ? ::OpenThemeData(hwnd, classes) : nullptr) {}
    ~ThemeData() {
        if (theme_)
            ::CloseThemeData(theme_);
    }
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;
    HTHEME Get() const noexcept { return theme_; }

private:
    HTHEME theme_;
};

void Fill(HDC dc, int x, int y, int w, int h, COLORREF colour) {
    RECT r{x, y, x + w, y + h};
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// The old flat look: a black outline, then a two-pixel bevel that flattens when pushed.
RECT DrawFlatFrame(HDC dc, RECT r, bool pushed) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    Fill(dc, r.left, r.top, w, h, face);
    Fill(dc, r.left + 1, r.top, w - 2, 1, RGB(0, 0, 0));
    Fill(dc, r.left + 1, r.bottom - 1, w - 2, 1, RGB(0, 0, 0));
    Fill(dc, r.left, r.top + 1, 1, h - 2, RGB(0, 0, 0));
    Fill(dc, r.right - 1, r.top + 1, 1, h - 2, RGB(0, 0, 0));
    ::InflateRect(&r, -1, -1);
    const int iw = r.right - r.left;
    const int ih = r.bottom - r.top;
    if (pushed) {
        Fill(dc, r.left, r.top, iw, 1, shadow);
        Fill(dc, r.left, r.top, 1, ih, shadow);
    } else {
        Fill(dc, r.left, r.top, iw - 1, 2, light);
        Fill(dc, r.left, r.top, 2, ih - 1, light);
        Fill(dc, r.left + 1, r.bottom - 2, iw - 1, 2, shadow);
        Fill(dc, r.right - 2, r.top + 1, 2, ih - 1, shadow);
    }
    ::InflateRect(&r, -2, -2);
    return r;
}

} // namespace

void Button::Create(HWND parent, int id, int x, int y, int width, int height,
                    const wchar_t* caption) {
    Attach(CreateChildWindow(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0, caption, parent, id, x, y,
                             width, height));
}

std::wstring Button::Caption() const {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void Button::SetCaption(const std::wstring& caption) {
    ::SetWindowTextW(Handle(), caption.c_str());
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Button::SetTextColour(COLORREF colour) {
    colour_ = colour;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Button::SetStyle(ButtonStyle style) {
    style_ = style;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Button::SetDpi(UINT dpi) {
    dpi_ = dpi;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

bool Button::OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        if (OnClick)
            OnClick();
        result = 0;
        return true;
    }
    if (msg == WM_DRAWITEM) {
        Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
    }
    return false;
}

LRESULT Button::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_GETDLGCODE) {
        // An owner-drawn button is no push button to the dialog manager, which would
        // otherwise keep Enter from it.
        LRESULT code = CallDefault(msg, wp, lp);
        const auto* key = reinterpret_cast<const MSG*>(lp);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        ::SendMessageW(::GetParent(Handle()), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(Handle()), BN_CLICKED),
                       reinterpret_cast<LPARAM>(Handle()));
        return 0;
    }
    return CallDefault(msg, wp, lp);
}

void Button::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    RECT content = r;
    if (style_ == ButtonStyle::Flat) {
        content = DrawFlatFrame(dc, r, pushed);
    } else {
        ThemeData theme(Handle(), L"BUTTON");
        if (theme.Get()) {
            int state = !enabled  ? PBS_DISABLED
                        : pushed  ? PBS_PRESSED
                        : focused ? PBS_DEFAULTED
                                  : PBS_NORMAL;
            ::DrawThemeParentBackground(Handle(), dc, &r);
            ::DrawThemeBackground(theme.Get(), dc, BP_PUSHBUTTON, state, &r, nullptr);
            ::GetThemeBackgroundContentRect(theme.Get(), dc, BP_PUSHBUTTON, state, &r, &content);
        } else {
            ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
            ::InflateRect(&content, -2, -2);
        }
    }
    if (pushed)
        ::OffsetRect(&content, 1, 1);
    DrawContent(dc, content, enabled);
    if (focused && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = content;
        ::InflateRect(&focus, -1, -1);
        ::DrawFocusRect(dc, &focus);
    }
}

void Button::DrawContent(HDC dc, RECT content, bool enabled) {
    std::wstring caption = Caption();
    DcSelection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled ? ResolveColour(colour_) : ::GetSysColor(COLOR_GRAYTEXT));
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &content,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

} // namespace voice::gui
