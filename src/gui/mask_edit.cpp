#include "gui/mask_edit.h"

#include "gui/error_box.h"

#include <algorithm>
#include <stdexcept>

namespace voice::gui {
namespace {

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

wchar_t LocaleTimeSeparator() {
    wchar_t separator[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, 8) > 1)
        return separator[0];
    return L':';
}

bool ShiftPressed() {
    return ::GetKeyState(VK_SHIFT) < 0;
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!::OpenClipboard(owner))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

} // namespace

void MaskEdit::Create(HWND parent, UINT id, int x, int y, int width, int height,
                      std::wstring_view mask) {
    ParseMask(mask);
    text_ = Fitted(L"");
    snapshot_ = text_;
    background_ = ::GetSysColor(COLOR_BTNFACE);
    backgroundBrush_.Reset(::CreateSolidBrush(background_));
    recheckMessage_ = ::RegisterWindowMessageW(L"Voice.MaskEdit.Recheck");

    HWND hwnd = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", text_.c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED | ES_LEFT | ES_AUTOHSCROLL, x, y, width,
        height, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
        ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        throw std::runtime_error("cannot create the masked edit");
    Attach(hwnd);
    CallDefault(EM_SETLIMITTEXT, columns_.size(), 0);
}

void MaskEdit::ParseMask(std::wstring_view mask) {
    // Sections: columns; whether literals are kept in the text (always, here); the
    // character shown in an empty column.
    const size_t end = mask.find(L';');
    const std::wstring_view layout = mask.substr(0, end);
    const size_t blankAt = mask.rfind(L';');
    if (end != std::wstring_view::npos && blankAt != end && blankAt + 1 < mask.size())
        blank_ = mask[blankAt + 1];

    const wchar_t separator = LocaleTimeSeparator();
    columns_.clear();
    for (size_t i = 0; i < layout.size(); ++i) {
        switch (const wchar_t ch = layout[i]) {
        case L'!': // blanks stay in their own columns
            break;
        case L'0':
            columns_.push_back({ColumnKind::RequiredDigit, 0});
            break;
        case L'9':
            columns_.push_back({ColumnKind::OptionalDigit, 0});
            break;
        case L':':
            columns_.push_back({ColumnKind::Literal, separator});
            break;
        case L'\\':
            if (i + 1 < layout.size())
                columns_.push_back({ColumnKind::Literal, layout[++i]});
            break;
        default:
            columns_.push_back({ColumnKind::Literal, ch});
        }
    }
}

std::wstring MaskEdit::Fitted(std::wstring_view text) const {
    std::wstring fitted(columns_.size(), blank_);
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].kind == ColumnKind::Literal)
            fitted[i] = columns_[i].literal;
        else if (i < text.size() && IsDigit(text[i]))
            fitted[i] = text[i];
    }
    return fitted;
}

bool MaskEdit::IsDigitColumn(int index) const {
    return index >= 0 && index < Length() && columns_[index].kind != ColumnKind::Literal;
}

int MaskEdit::NextDigitColumn(int from) const {
    int i = std::max(from, 0);
    while (i < Length() && !IsDigitColumn(i))
        ++i;
    return i;
}

int MaskEdit::PreviousDigitColumn(int before) const {
    int i = std::min(before, Length()) - 1;
    while (i >= 0 && !IsDigitColumn(i))
        --i;
    return i;
}

int MaskEdit::FirstBlankRequiredColumn() const {
    for (int i = 0; i < Length(); ++i) {
        if (columns_[i].kind == ColumnKind::RequiredDigit && !IsDigit(text_[i]))
            return i;
    }
    return -1;
}

void MaskEdit::SetText(std::wstring_view text) {
    text_ = Fitted(text);
    snapshot_ = text_;
    modified_ = false;
    const int caret = CaretPosition();
    Show(text_);
    Highlight(caret);
}

void MaskEdit::Show(const std::wstring& text) {
    CallDefault(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::pair<int, int> MaskEdit::Selection() const {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    const int length = Length();
    return {std::min(static_cast<int>(start), length), std::min(static_cast<int>(end), length)};
}

int MaskEdit::CaretPosition() const {
    return Selection().first;
}

void MaskEdit::SetCaretPosition(int position) {
    Highlight(position);
}

void MaskEdit::Highlight(int position) {
    position = std::clamp(position, 0, Length());
    CallDefault(EM_SETSEL, position, std::min(position + 1, Length()));
}

// The caret is always one highlighted character (or none after the last one): an empty
// selection left by the mouse or the keyboard becomes the character behind it.
void MaskEdit::NormaliseSelection() {
    const auto [start, end] = Selection();
    if (start == end)
        Highlight(start);
}

void MaskEdit::ApplyUserEdit(std::wstring text, int caret) {
    if (text != text_) {
        text_ = std::move(text);
        modified_ = true;
        Show(text_);
    }
    Highlight(caret);
}

// Blanks the digits of a selection of several characters; the caret goes to its start.
bool MaskEdit::BlankSelection(std::wstring& text, int& caret) const {
    const auto [start, end] = Selection();
    if (end - start < 2)
        return false;
    for (int i = start; i < end; ++i) {
        if (IsDigitColumn(i))
            text[i] = blank_;
    }
    caret = start;
    return true;
}

// Puts a digit, or a blank, in the first digit column from the caret on, after blanking
// a selection of several characters; the caret moves to the next digit column.
bool MaskEdit::Put(wchar_t ch) {
    std::wstring text = text_;
    int caret = CaretPosition();
    BlankSelection(text, caret);
    const int column = NextDigitColumn(caret);
    if (column >= Length())
        return false;
    text[column] = ch;
    ApplyUserEdit(std::move(text), NextDigitColumn(column + 1));
    return true;
}

// Moves the caret to the first digit column after the next literal ch.
bool MaskEdit::JumpPast(wchar_t ch) {
    for (int i = CaretPosition(); i < Length(); ++i) {
        if (columns_[i].kind == ColumnKind::Literal && columns_[i].literal == ch) {
            Highlight(NextDigitColumn(i + 1));
            return true;
        }
    }
    return false;
}

void MaskEdit::TypeCharacter(wchar_t ch) {
    if (IsDigit(ch) ? Put(ch) : JumpPast(ch))
        return;
    ::MessageBeep(MB_OK);
}

void MaskEdit::Backspace() {
    std::wstring text = text_;
    int caret = CaretPosition();
    if (!BlankSelection(text, caret)) {
        caret = PreviousDigitColumn(caret);
        if (caret < 0)
            return;
        text[caret] = blank_;
    }
    ApplyUserEdit(std::move(text), caret);
}

void MaskEdit::Delete() {
    std::wstring text = text_;
    int caret = CaretPosition();
    if (!BlankSelection(text, caret)) {
        if (!IsDigitColumn(caret))
            return;
        text[caret] = blank_;
    }
    ApplyUserEdit(std::move(text), caret);
}

void MaskEdit::MoveLeft() {
    const int caret = CaretPosition();
    const int previous = PreviousDigitColumn(caret);
    Highlight(previous >= 0 ? previous : caret);
}

void MaskEdit::MoveRight() {
    const auto [start, end] = Selection();
    const int from = end - start > 1 ? end - 1 : start;
    Highlight(from < Length() ? NextDigitColumn(from + 1) : Length());
}

// Pasted text is fitted in from the caret: digits fill digit columns, blanks empty them,
// a separator goes on to the next group unless the caret has just passed it (so that
// "12:34:56" pasted at the start lands as it reads), and anything else is passed over.
void MaskEdit::Paste(std::wstring_view text) {
    for (const wchar_t ch : text) {
        const int caret = CaretPosition();
        if (caret >= Length())
            break;
        if (IsDigit(ch) || ch == blank_) {
            Put(ch);
        } else {
            const bool justPassed = caret > 0 && columns_[caret - 1].kind == ColumnKind::Literal &&
                                    columns_[caret - 1].literal == ch;
            if (!justPassed)
                JumpPast(ch);
        }
    }
}

void MaskEdit::CutToClipboard() {
    const auto [start, end] = Selection();
    if (start == end)
        return;
    CallDefault(WM_COPY, 0, 0);
    std::wstring text = text_;
    int caret = start;
    for (int i = start; i < end; ++i) {
        if (IsDigitColumn(i))
            text[i] = blank_;
    }
    ApplyUserEdit(std::move(text), caret);
}

void MaskEdit::Escape() {
    const int caret = CaretPosition();
    if (text_ != snapshot_) {
        text_ = snapshot_;
        Show(text_);
    }
    modified_ = false;
    Highlight(caret);
}

bool MaskEdit::Check() {
    if (FirstBlankRequiredColumn() < 0)
        return true;
    Reject();
    return false;
}

void MaskEdit::Reject() {
    ::MessageBeep(MB_OK);
    ::SetFocus(Handle());
    Highlight(FirstBlankRequiredColumn());
    ShowErrorBox(::GetAncestor(Handle(), GA_ROOT), std::wstring(kInvalidInputText));
    // Closing the box gives the focus back to its owner, not necessarily to us.
    ::SetFocus(Handle());
    Highlight(FirstBlankRequiredColumn());
}

// Leaving for another control of the same window checks a changed text; leaving for
// another window (a message box, another program) does not. The check runs once the
// focus change is over: taking the focus back inside WM_KILLFOCUS is not allowed.
void MaskEdit::OnFocusLeaving(HWND newFocus) {
    if (!modified_ || !newFocus)
        return;
    if (::GetAncestor(newFocus, GA_ROOT) != ::GetAncestor(Handle(), GA_ROOT))
        return;
    if (FirstBlankRequiredColumn() < 0)
        modified_ = false; // accepted: the next focus starts from this text
    else
        ::PostMessageW(Handle(), recheckMessage_, 0, 0);
}

void MaskEdit::SetBackground(COLORREF color) {
    background_ = color;
    backgroundBrush_.Reset(::CreateSolidBrush(color));
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

bool MaskEdit::OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLOREDIT && msg != WM_CTLCOLORSTATIC)
        return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    ::SetBkColor(dc, background_);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    result = reinterpret_cast<LRESULT>(backgroundBrush_.Get());
    return true;
}

LRESULT MaskEdit::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == recheckMessage_ && recheckMessage_ != 0) {
        if (modified_ && FirstBlankRequiredColumn() >= 0)
            Reject();
        return 0;
    }
    switch (msg) {
    case WM_CHAR:
    case WM_IME_CHAR:
        switch (const auto ch = static_cast<wchar_t>(wp)) {
        case L'\b':
            Backspace();
            break;
        case L'\r':
            Check();
            break;
        case 0x1B:
            Escape();
            break;
        case 0x03: // Ctrl+C
            return CallDefault(WM_COPY, 0, 0);
        case 0x16: // Ctrl+V
            Paste(ClipboardText(Handle()));
            break;
        case 0x18: // Ctrl+X
            CutToClipboard();
            break;
        case 0x01: // Ctrl+A
            CallDefault(EM_SETSEL, 0, Length());
            break;
        case L'\t':
        case 0x1A: // Ctrl+Z: Escape is the way back
            break;
        default:
            TypeCharacter(ch);
        }
        return 0;
    case WM_KEYDOWN:
        switch (wp) {
        case VK_DELETE:
            if (ShiftPressed())
                CutToClipboard();
            else
                Delete();
            return 0;
        case VK_INSERT:
            if (ShiftPressed()) {
                Paste(ClipboardText(Handle()));
                return 0;
            }
            break; // Ctrl+Insert copies
        case VK_LEFT:
        case VK_UP:
            if (ShiftPressed())
                break;
            MoveLeft();
            return 0;
        case VK_RIGHT:
        case VK_DOWN:
            if (ShiftPressed())
                break;
            MoveRight();
            return 0;
        case VK_HOME:
            if (ShiftPressed())
                break;
            Highlight(NextDigitColumn(0));
            return 0;
        case VK_END:
            if (ShiftPressed())
                break;
            Highlight(Length());
            return 0;
        case VK_BACK:
        case VK_RETURN:
        case VK_ESCAPE:
            return 0; // handled with their characters
        default:
            break;
        }
        {
            const LRESULT result = CallDefault(msg, wp, lp);
            NormaliseSelection();
            return result;
        }
    case WM_PASTE:
        Paste(ClipboardText(Handle()));
        return 0;
    case EM_REPLACESEL:
        if (lp)
            Paste(reinterpret_cast<const wchar_t*>(lp));
        return 0;
    case WM_CUT:
        CutToClipboard();
        return 0;
    case WM_CLEAR:
        Delete();
        return 0;
    case WM_UNDO:
    case EM_UNDO:
        return FALSE;
    case WM_SETTEXT:
        SetText(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
        return TRUE;
    case WM_CONTEXTMENU: // its commands would edit past the mask
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = CallDefault(msg, wp, lp);
        code &= ~static_cast<LRESULT>(DLGC_HASSETSEL); // keep the caret on focus by Tab
        code |= DLGC_WANTCHARS | DLGC_WANTARROWS;
        if (const auto* keyMsg = reinterpret_cast<const MSG*>(lp);
            keyMsg && keyMsg->message == WM_KEYDOWN &&
            (keyMsg->wParam == VK_RETURN || keyMsg->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_SETFOCUS: {
        const LRESULT result = CallDefault(msg, wp, lp);
        if (!modified_) // coming back after a refused change keeps the older text
            snapshot_ = text_;
        NormaliseSelection();
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = CallDefault(msg, wp, lp);
        OnFocusLeaving(reinterpret_cast<HWND>(wp));
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        const LRESULT result = CallDefault(msg, wp, lp);
        NormaliseSelection();
        return result;
    }
    default:
        return CallDefault(msg, wp, lp);
    }
}

} // namespace voice::gui
