#include "gui/control.h"

#include "gui/error_box.h"

#include <commctrl.h>

namespace voice::gui {
namespace {

constexpr wchar_t kWrapperProperty[] = L"Voice.Control";
constexpr UINT_PTR kSubclassId = 0x566F6963; // "Voic"

HWND SenderOf(UINT msg, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<HWND>(lp);
    case WM_NOTIFY:
        return reinterpret_cast<const NMHDR*>(lp)->hwndFrom;
    case WM_DRAWITEM:
        return reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
    default:
        return nullptr;
    }
}

} // namespace

Control::~Control() {
    if (hwnd_) {
        HWND hwnd = hwnd_;
        Detach();
        ::DestroyWindow(hwnd);
    }
}

Control* Control::FromHandle(HWND hwnd) noexcept {
    return hwnd ? static_cast<Control*>(::GetPropW(hwnd, kWrapperProperty)) : nullptr;
}

void Control::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kWrapperProperty, this);
    ::SetWindowSubclass(hwnd, &Control::SubclassProc, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
}

void Control::Detach() noexcept {
    ::RemoveWindowSubclass(hwnd_, &Control::SubclassProc, kSubclassId);
    ::RemovePropW(hwnd_, kWrapperProperty);
    hwnd_ = nullptr;
}

bool Control::OnReflected(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT Control::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return CallDefault(msg, wp, lp);
}

LRESULT Control::CallDefault(UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefSubclassProc(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR data) {
    auto* self = reinterpret_cast<Control*>(data);
    if (msg == WM_NCDESTROY) {
        self->Detach();
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        ShowCurrentException(::GetAncestor(hwnd, GA_ROOT));
        return 0;
    }
}

bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND sender = SenderOf(msg, lp);
    Control* control = Control::FromHandle(sender);
    if (!control)
        return false;
    try {
        return control->OnReflected(msg, wp, lp, result);
    } catch (...) {
        ShowCurrentException(::GetAncestor(sender, GA_ROOT));
        result = 0;
        return true;
    }
}

} // namespace voice::gui
