#include "gui/drive_combo_box.h"

#include "platform/app_error.h"
#include "platform/unique_handle.h"

#include <algorithm>

namespace voice::gui {
namespace {

constexpr int kGlyphLeft = 2;
constexpr int kTextGap = 6;
constexpr int kGlyphHeight = 11; // every drive glyph is 16 x 11
constexpr int kDroppedLines = 8;
constexpr int kFieldFrame = 6; // the closed box's frame around its selection field

wchar_t LowerLetter(wchar_t c) {
    return static_cast<wchar_t>(::towlower(c));
}

wchar_t CurrentDrive() {
    wchar_t path[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, path);
    return LowerLetter(path[0]);
}

} // namespace

DriveComboBox::DriveComboBox() = default;

void DriveComboBox::Create(HWND parent, UINT id, int x, int y, int width, int height) {
    closedHeight_ = height;
    HWND hwnd = ::CreateWindowExW(0, L"COMBOBOX", L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL |
                                      CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                  x, y, width, height * (kDroppedLines + 1), parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        throw AppError(L"Cannot create the drive box");
    Attach(hwnd);
    UpdateItemHeights();
    complete_ = false;
    // What the closed box shows at first: the current drive alone.
    DriveItem current;
    if (DescribeDrive(CurrentDrive(), current))
        AddItems({current});
    else
        CompleteList(); // a share or an unlisted drive: nothing to show but the list
    SetDrive(CurrentDrive());
}

void DriveComboBox::AddItems(const std::vector<DriveItem>& drives) const {
    for (const DriveItem& drive : drives) {
        const LRESULT index =
            ::SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.text.c_str()));
        ::SendMessageW(Handle(), CB_SETITEMDATA, static_cast<WPARAM>(index),
                       static_cast<LPARAM>(drive.kind));
    }
}

void DriveComboBox::CompleteList() const {
    if (complete_ || !Handle())
        return;
    complete_ = true;
    const std::vector<DriveItem> drives = ListDrives();
    const bool selected = SelectedIndex() >= 0;
    ::SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    AddItems(drives);
    if (selected)
        ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(FindDrive(drive_)), 0);
}

int DriveComboBox::FindDrive(wchar_t letter) const {
    const int count = static_cast<int>(::SendMessageW(Handle(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const std::wstring text = RawItemText(i);
        if (text.size() >= 2 && LowerLetter(text[0]) == letter && text[1] == L':')
            return i;
    }
    return -1;
}

void DriveComboBox::SetDrive(wchar_t letter) {
    if (SelectedIndex() >= 0 && LowerLetter(letter) == drive_)
        return;
    if (letter == 0) {
        drive_ = 0;
        ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    } else {
        drive_ = LowerLetter(letter);
        int index = FindDrive(drive_);
        if (index < 0 && !complete_) {
            CompleteList();
            index = FindDrive(drive_);
        }
        if (index >= 0)
            ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    if (OnChange)
        OnChange();
}

int DriveComboBox::ItemCount() const {
    CompleteList();
    return Handle() ? static_cast<int>(::SendMessageW(Handle(), CB_GETCOUNT, 0, 0)) : 0;
}

std::wstring DriveComboBox::ItemText(int index) const {
    CompleteList();
    return RawItemText(index);
}

std::wstring DriveComboBox::RawItemText(int index) const {
    const LRESULT length = ::SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

int DriveComboBox::SelectedIndex() const {
    return Handle() ? static_cast<int>(::SendMessageW(Handle(), CB_GETCURSEL, 0, 0)) : -1;
}

const ListGlyph& DriveComboBox::GlyphOf(DriveKind kind) const {
    ListGlyph& glyph = glyphs_[static_cast<size_t>(kind)];
    if (!glyph) // loaded when first drawn: most kinds are never shown
        glyph = ListGlyph(DriveGlyphName(kind));
    return glyph;
}

void DriveComboBox::UpdateItemHeights() {
    WindowDc dc(Handle());
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));
    TEXTMETRICW metrics{};
    {
        DcSelection select(dc.Get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
        ::GetTextMetricsW(dc.Get(), &metrics);
    }
    const int glyphHeight = kGlyphHeight;
    const int height = std::max<int>(metrics.tmHeight, glyphHeight);
    ::SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, height);
    ::SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                   std::max(height, closedHeight_ - kFieldFrame));
    // A drop-down list's window height is its dropped-down height.
    RECT box{};
    ::GetWindowRect(Handle(), &box);
    const int closed = std::max(height, closedHeight_ - kFieldFrame) + kFieldFrame;
    ::SetWindowPos(Handle(), nullptr, 0, 0, box.right - box.left,
                   closed + kDroppedLines * height + 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DriveComboBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (static_cast<int>(item.itemID) < 0) { // the empty field of a box with no selection
        DrawGlyphLine(item, nullptr, 0, 0, {});
        return;
    }
    DrawGlyphLine(item, &GlyphOf(static_cast<DriveKind>(item.itemData)),
                  item.rcItem.left + kGlyphLeft, kTextGap,
                  RawItemText(static_cast<int>(item.itemID)));
}

bool DriveComboBox::OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == CBN_DROPDOWN) {
        CompleteList();
        result = 0;
        return true;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == CBN_SELCHANGE) {
        result = 0;
        const int index = SelectedIndex();
        if (index >= 0) {
            const std::wstring text = RawItemText(index);
            if (!text.empty())
                SetDrive(text[0]);
        }
        return true;
    }
    return false;
}

LRESULT DriveComboBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFOCUS)
        CompleteList(); // the arrow keys move through the whole list
    if (msg == WM_SETFONT) {
        LRESULT result = CallDefault(msg, wp, lp);
        UpdateItemHeights();
        return result;
    }
    return CallDefault(msg, wp, lp);
}

} // namespace voice::gui
