#include "gui/container.h"

#include "gui/child_window.h"
#include "gui/control.h"
#include "gui/font.h"
#include "platform/app_error.h"

namespace voice::gui {

void Container::CreateContainer(const wchar_t* className, HWND parent, int id, int x, int y,
                                int width, int height, const wchar_t* caption) {
    // WS_EX_CONTROLPARENT lets the dialog manager's Tab key walk into the children.
    HWND hwnd =
        CreateWindowObject(className, CS_HREDRAW | CS_VREDRAW, ::GetSysColorBrush(COLOR_BTNFACE),
                           WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, caption, x,
                           y, width, height, parent, static_cast<UINT_PTR>(id));
    if (!hwnd)
        throw AppError(L"Cannot create a window of class " + std::wstring(className));
}

void Container::SetFont(HFONT font) {
    font_ = font;
    OnFontChanged();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Container::SetTextColour(COLORREF colour) {
    textColour_ = colour;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

std::wstring Container::Caption() const {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void Container::SetCaption(const std::wstring& caption) {
    ::SetWindowTextW(Handle(), caption.c_str());
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

std::vector<HWND> Container::Children() const {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

bool Container::OnChildNotification(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    return AnswerControlColour(msg, wp, textColour_, result);
}

LRESULT Container::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToControl(msg, wp, lp, result))
        return result;
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        if (OnChildNotification(msg, wp, lp, result))
            return result;
        break;
    case WM_SETFONT:
        SetFont(reinterpret_cast<HFONT>(wp));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(Handle(), &ps);
        RECT client;
        ::GetClientRect(Handle(), &client);
        Paint(dc, client);
        ::EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT r = DefaultHandling(msg, wp, lp);
        ::InvalidateRect(Handle(), nullptr, TRUE);
        return r;
    }
    default:
        break;
    }
    return DefaultHandling(msg, wp, lp);
}

} // namespace voice::gui
