#include "gui/list_box.h"

#include "gui/child_window.h"
#include "gui/popup_menu.h"

#include <windowsx.h>

#include <algorithm>

namespace voice::gui {

void ListBox::Create(HWND parent, int id, int x, int y, int width, int height) {
    Attach(CreateChildWindow(
        L"LISTBOX", LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
        WS_EX_CLIENTEDGE, L"", parent, id, x, y, width, height));
}

void ListBox::SetLineHeight(int pixels) {
    lineHeight_ = pixels;
    ::SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(pixels, 0));
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

int ListBox::LineHeight() const {
    return static_cast<int>(::SendMessageW(Handle(), LB_GETITEMHEIGHT, 0, 0));
}

void ListBox::SetLines(std::span<const std::wstring> lines) {
    HWND hwnd = Handle();
    ::SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
    size_t bytes = 0;
    for (const auto& line : lines)
        bytes += (line.size() + 1) * sizeof(wchar_t);
    ::SendMessageW(hwnd, LB_INITSTORAGE, lines.size(), bytes);
    // Straight to the list box's own procedure: the subclass has nothing to do with these,
    // and passing each of many thousand lines through it costs more than the list itself.
    const auto listProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    for (const auto& line : lines)
        ::CallWindowProcW(listProc, hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    ::SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hwnd, nullptr, TRUE);
    selection_.clear();
}

void ListBox::Clear() {
    ::SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
}

int ListBox::Count() const {
    return static_cast<int>(::SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
}

std::wstring ListBox::Line(int index) const {
    LRESULT length = ::SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = ::SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

bool ListBox::Selected(int index) const {
    return ::SendMessageW(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void ListBox::SetSelected(int index, bool selected) {
    ::SendMessageW(Handle(), LB_SETSEL, selected ? TRUE : FALSE, static_cast<LPARAM>(index));
}

std::vector<int> ListBox::SelectedIndices() const {
    const LRESULT count = ::SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0);
    std::vector<int> indices(static_cast<size_t>(std::max<LRESULT>(count, 0)));
    if (!indices.empty())
        ::SendMessageW(Handle(), LB_GETSELITEMS, static_cast<WPARAM>(indices.size()),
                       reinterpret_cast<LPARAM>(indices.data()));
    return indices;
}

bool ListBox::OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_COMMAND)
        return false;
    switch (HIWORD(wp)) {
    case LBN_SELCHANGE: {
        // The control reports every click and selecting key, also those that select what
        // was selected already (the line playing, Up on the first line).
        std::vector<int> now = SelectedIndices();
        if (now == selection_)
            break;
        selection_ = std::move(now);
        if (OnClick) {
            OnClick();
            selection_ = SelectedIndices(); // whatever the handler selected itself
        }
        break;
    }
    case LBN_DBLCLK:
        if (OnDblClick)
            OnDblClick();
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

namespace {

// Messages by which the program changes lines or selection; the user's changes come
// from the mouse and keyboard instead.
bool ChangesSelection(UINT msg) {
    switch (msg) {
    case LB_SETSEL:
    case LB_SETCURSEL:
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX:
    case LB_RESETCONTENT:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_SETCOUNT:
        return true;
    default:
        return false;
    }
}

} // namespace

LRESULT ListBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CONTEXTMENU && OnContextMenu) {
        // From the keyboard the position is -1, -1.
        const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        OnContextMenu(at.x == -1 && at.y == -1 ? KeyboardMenuPoint(Handle()) : at);
        return 0;
    }
    // Not every system turns the Menu key into WM_CONTEXTMENU: the key opens the menu
    // itself, once, on its way down.
    if ((msg == WM_KEYDOWN || msg == WM_KEYUP) && wp == VK_APPS && OnContextMenu) {
        if (msg == WM_KEYDOWN)
            OnContextMenu(KeyboardMenuPoint(Handle()));
        return 0;
    }
    struct Nesting {
        int& depth;
        explicit Nesting(int& d) : depth(d) { ++depth; }
        ~Nesting() { --depth; }
    };
    LRESULT r;
    {
        Nesting nesting(depth_);
        r = CallDefault(msg, wp, lp);
    }
    // Only the program's own requests: should the control use them itself while it
    // handles the user's input, that change is still the user's.
    if (depth_ == 0 && ChangesSelection(msg))
        selection_ = SelectedIndices();
    // A new font makes the system measure the lines again; the designed height stays.
    if (msg == WM_SETFONT && lineHeight_ > 0)
        ::SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(lineHeight_, 0));
    return r;
}

} // namespace voice::gui
