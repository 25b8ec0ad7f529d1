#include "gui/form.h"

#include "gui/control.h"
#include "gui/font.h"
#include "platform/app_error.h"

namespace voice::gui {
namespace {

constexpr wchar_t kIconName[] = L"VOICE";

// The executable's icon, when it has one, on the window's class (big and small) and on
// its caption. Shared icons: the system frees them with the module.
void ShowProgramIcon(HWND hwnd) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const struct {
        int sizeX, sizeY, classIndex;
        WPARAM caption;
    } kinds[] = {{SM_CXICON, SM_CYICON, GCLP_HICON, ICON_BIG},
                 {SM_CXSMICON, SM_CYSMICON, GCLP_HICONSM, ICON_SMALL}};
    for (const auto& kind : kinds) {
        HANDLE icon = ::LoadImageW(instance, kIconName, IMAGE_ICON, ::GetSystemMetrics(kind.sizeX),
                                   ::GetSystemMetrics(kind.sizeY), LR_SHARED);
        if (!icon)
            return;
        ::SetClassLongPtrW(hwnd, kind.classIndex, reinterpret_cast<LONG_PTR>(icon));
        ::SendMessageW(hwnd, WM_SETICON, kind.caption, reinterpret_cast<LPARAM>(icon));
    }
}

} // namespace

void Form::CreateForm(const wchar_t* caption, int left, int top, int width, int height) {
    dpi_ = SystemDpi();
    HWND hwnd = CreateWindowObject(
        L"VoiceForm", CS_HREDRAW | CS_VREDRAW, ::GetSysColorBrush(COLOR_BTNFACE),
        WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, caption, Scale(left, dpi_),
        Scale(top, dpi_), Scale(width, dpi_), Scale(height, dpi_), nullptr, 0);
    if (!hwnd)
        throw AppError(L"Cannot create the main window");
    ShowProgramIcon(hwnd);
    // Per-monitor awareness may put the window on a screen of its own density.
    UINT actual = DpiOfWindow(hwnd);
    if (actual != dpi_) {
        dpi_ = actual;
        ::SetWindowPos(hwnd, nullptr, Scale(left, dpi_), Scale(top, dpi_), Scale(width, dpi_),
                       Scale(height, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::Show(int showCommand) {
    ::ShowWindow(Handle(), showCommand);
    ::UpdateWindow(Handle());
}

void Form::Close() {
    ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void Form::DestroyForm() {
    if (Handle())
        ::DestroyWindow(Handle());
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToControl(msg, wp, lp, result))
        return result;
    switch (msg) {
    case WM_CLOSE: {
        CloseAction action = CloseAction::Free;
        if (OnClose)
            OnClose(action);
        switch (action) {
        case CloseAction::Free:
            ::DestroyWindow(Handle());
            break;
        case CloseAction::Hide:
            ::ShowWindow(Handle(), SW_HIDE);
            break;
        case CloseAction::Minimize:
            ::ShowWindow(Handle(), SW_MINIMIZE);
            break;
        case CloseAction::None:
            break;
        }
        return 0;
    }
    case WM_ACTIVATE:
        // As a dialog does: the focus comes back to where it was, or to the first control
        // in the keyboard order.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(Handle(), focus))
                lastFocus_ = focus;
        } else {
            HWND target = lastFocus_ && ::IsChild(Handle(), lastFocus_)
                              ? lastFocus_
                              : ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
            if (target)
                ::SetFocus(target);
        }
        return 0;
    case WM_NEXTDLGCTL:
        MoveFocus(wp, lp);
        return 0;
    case WM_DESTROY:
        OnDestroying();
        if (main_)
            ::PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        // Menus and shortcuts; controls' notifications were reflected above.
        if (lp == 0 && HIWORD(wp) <= 1 && OnCommand) {
            OnCommand(LOWORD(wp));
            return 0;
        }
        return DefaultHandling(msg, wp, lp);
    case WM_APPCOMMAND:
        if (OnAppCommand && OnAppCommand(GET_APPCOMMAND_LPARAM(lp)))
            return TRUE;
        return DefaultHandling(msg, wp, lp);
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wp);
        if (OnDpiChanged)
            OnDpiChanged(dpi_);
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default:
        return DefaultHandling(msg, wp, lp);
    }
}

void Form::MoveFocus(WPARAM wp, LPARAM lp) {
    HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                             : ::GetNextDlgTabItem(Handle(), ::GetFocus(), wp != 0);
    if (!target || !::IsChild(Handle(), target))
        return;
    ::SetFocus(target);
    // An edit reached from the keyboard has its whole text selected, ready to be typed over.
    if (!LOWORD(lp) && (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
        ::SendMessageW(target, EM_SETSEL, 0, -1);
}

bool Form::TranslateShortcut(const MSG& msg) const {
    HWND form = Handle();
    if (!form || (msg.hwnd != form && !::IsChild(form, msg.hwnd)))
        return false;
    const Shortcut* shortcut = FindShortcut(shortcuts_, msg);
    if (!shortcut)
        return false;
    ::SendMessageW(form, WM_COMMAND, MAKEWPARAM(shortcut->command, 1), 0);
    return true;
}

bool PreTranslateMessage(const Form& mainForm, MSG& msg) {
    if (!msg.hwnd)
        return false;
    if (mainForm.TranslateShortcut(msg))
        return true;
    // The main form and the windows it owns (a progress window); never the hidden
    // windows of timers and devices.
    HWND main = mainForm.Handle();
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (!main || !root || (root != main && ::GetWindow(root, GW_OWNER) != main))
        return false;
    return ::IsDialogMessageW(root, &msg) != FALSE;
}

void HandleLoopMessage(const Form& mainForm, MSG& msg) {
    if (PreTranslateMessage(mainForm, msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

int RunMessageLoop(const Form& mainForm) {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        HandleLoopMessage(mainForm, msg);
    return static_cast<int>(msg.wParam);
}

} // namespace voice::gui
