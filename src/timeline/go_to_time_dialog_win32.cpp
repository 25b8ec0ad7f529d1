#include "timeline/go_to_time_dialog.h"

#include "timeline/go_to_time.h"

#include <cstring>
#include <string>
#include <vector>

namespace voice::timeline {
namespace {

constexpr int kEditId = 100;
constexpr wchar_t kTitle[] = L"Перейти к времени";
constexpr wchar_t kPrompt[] = L"Дата и время (дд.мм.гггг чч:мм:сс):";

struct State {
    Seconds initial;
    HFONT font;
    std::optional<Seconds> chosen;
};

// A dialog template in memory: the dialog, then its items, each DWORD-aligned.
class Template {
public:
    void Dialog(DWORD style, short cx, short cy, const wchar_t* title, WORD items) {
        DLGTEMPLATE t{};
        t.style = style;
        t.cdit = items;
        t.cx = cx;
        t.cy = cy;
        Add(&t, sizeof t);
        Word(0); // no menu
        Word(0); // the system's dialog class
        Text(title);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
              const wchar_t* text) {
        Align();
        DLGITEMTEMPLATE t{};
        t.style = style | WS_CHILD | WS_VISIBLE;
        t.x = x, t.y = y, t.cx = cx, t.cy = cy;
        t.id = id;
        Add(&t, sizeof t);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0); // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Add(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Word(WORD w) { Add(&w, sizeof w); }
    void Text(const wchar_t* text) { Add(text, (std::wcslen(text) + 1) * sizeof(wchar_t)); }
    void Align() {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
    }
    // Allocated storage is aligned beyond the DWORD the system requires.
    std::vector<unsigned char> bytes_;
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
        const State& state = *reinterpret_cast<State*>(lp);
        if (state.font)
            for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT))
                ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
        HWND edit = ::GetDlgItem(dialog, kEditId);
        ::SetWindowTextW(edit, GoToTimeText(state.initial).c_str());
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE; // the focus is set
    }
    case WM_COMMAND: {
        auto& state = *reinterpret_cast<State*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (LOWORD(wp) == IDOK) {
            HWND edit = ::GetDlgItem(dialog, kEditId);
            std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(
                ::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
            state.chosen = ParseGoToTime(text, state.initial);
            if (!state.chosen) {
                ::MessageBeep(MB_ICONWARNING);
                ::SetFocus(edit);
                ::SendMessageW(edit, EM_SETSEL, 0, -1);
                return TRUE;
            }
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            state.chosen.reset();
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

} // namespace

std::optional<Seconds> AskGoToTime(HWND owner, Seconds initial, HFONT font) {
    constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
    Template t;
    t.Dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 200, 62, kTitle, 4);
    t.Item(SS_LEFT, 7, 7, 186, 9, 0xFFFF, kStatic, kPrompt);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 186, 13, kEditId, kEdit, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 40, 50, 14, IDOK, kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 40, 50, 14, IDCANCEL, kButton, L"Отмена");
    State state{initial, font, std::nullopt};
    ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), owner, Procedure,
                              reinterpret_cast<LPARAM>(&state));
    return state.chosen;
}

} // namespace voice::timeline
