#include "gui/mask_edit.h"

#include "gui/error_box.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace voice::gui {
namespace {

using testing::HostWindow;
using testing::MessageBoxCatcher;
using testing::Pump;

// Keys that type no character, written into a key sequence beside typed characters.
constexpr wchar_t kLeft = 0xE000;
constexpr wchar_t kRight = 0xE001;
constexpr wchar_t kUp = 0xE002;
constexpr wchar_t kDown = 0xE003;
constexpr wchar_t kHome = 0xE004;
constexpr wchar_t kEnd = 0xE005;
constexpr wchar_t kDelete = 0xE006;
constexpr wchar_t kSelectAll = 0x01; // Ctrl+A
constexpr wchar_t kBackspace = L'\b';
constexpr wchar_t kEnter = L'\r';
constexpr wchar_t kEscape = 0x1B;

UINT VirtualKeyOf(wchar_t key) {
    constexpr std::pair<wchar_t, UINT> keys[] = {
        {kLeft, VK_LEFT},    {kRight, VK_RIGHT},   {kUp, VK_UP},         {kDown, VK_DOWN},
        {kHome, VK_HOME},    {kEnd, VK_END},       {kDelete, VK_DELETE}, {kBackspace, VK_BACK},
        {kEnter, VK_RETURN}, {kEscape, VK_ESCAPE},
    };
    for (const auto& [k, vk] : keys) {
        if (k == key)
            return vk;
    }
    return 0;
}

// Sends what the keyboard and TranslateMessage would: key down, its character if it has
// one, key up.
void Press(HWND hwnd, const std::wstring& keys) {
    for (const wchar_t key : keys) {
        const UINT vk = VirtualKeyOf(key);
        if (vk)
            ::SendMessageW(hwnd, WM_KEYDOWN, vk, 1);
        if (key < 0xE000)
            ::SendMessageW(hwnd, WM_CHAR, key, 1);
        if (vk)
            ::SendMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
    }
}

std::pair<int, int> SelectionOf(HWND hwnd) {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[64] = {};
    ::GetWindowTextW(hwnd, text, 64);
    return text;
}

class MaskEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        field.Create(host.Handle(), 1, 10, 10, 120, 24);
        other.Create(host.Handle(), 2, 10, 50, 120, 24);
        field.SetEnabled(true);
        other.SetEnabled(true);
        field.SetText(L"00:00:00");
        ::SetFocus(field.Handle());
        Pump();
    }

    // The caret as the user sees it: one highlighted character, none after the last.
    void ExpectCaretHighlighted(int caret) {
        EXPECT_EQ(field.CaretPosition(), caret);
        EXPECT_EQ(SelectionOf(field.Handle()), std::make_pair(caret, std::min(caret + 1, 8)));
    }

    HostWindow host;
    MaskEdit field;
    MaskEdit other; // somewhere for the focus to go
};

TEST_F(MaskEditTest, StartsDisabledOnButtonFaceWithEveryColumnShown) {
    HostWindow window;
    MaskEdit fresh;
    fresh.Create(window.Handle(), 1, 0, 0, 80, 21);
    EXPECT_FALSE(fresh.Enabled());
    EXPECT_EQ(fresh.Text(), L"  :  :  ");
    EXPECT_EQ(WindowText(fresh.Handle()), L"  :  :  ");

    HDC dc = ::GetDC(fresh.Handle());
    ::SendMessageW(window.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(fresh.Handle()));
    EXPECT_EQ(::GetBkColor(dc), ::GetSysColor(COLOR_BTNFACE));
    fresh.SetBackground(RGB(255, 255, 255));
    ::SendMessageW(window.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(fresh.Handle()));
    EXPECT_EQ(::GetBkColor(dc), RGB(255, 255, 255));
    ::ReleaseDC(fresh.Handle(), dc);
}

TEST_F(MaskEditTest, ProgramTextGoesThroughTheMask) {
    const struct {
        const wchar_t* given;
        const wchar_t* shown;
    } cases[] = {
        {L"23:59:59", L"23:59:59"},  {L" 7:05:00", L" 7:05:00"}, {L"12", L"12:  :  "},
        {L"", L"  :  :  "},          {L"ab:cd:ef", L"  :  :  "}, {L"12.34.56", L"12:34:56"},
        {L"123456789", L"12:45:78"},
    };
    for (const auto& c : cases) {
        field.SetText(c.given);
        EXPECT_EQ(field.Text(), c.shown) << c.given;
        EXPECT_EQ(WindowText(field.Handle()), c.shown) << c.given;
        EXPECT_FALSE(field.Modified()) << c.given;
    }
    // Setting the window text directly is setting it by the program too.
    ::SetWindowTextW(field.Handle(), L"1x:22:33");
    EXPECT_EQ(field.Text(), L"1 :22:33");
}

TEST_F(MaskEditTest, TypingAndEditingKeys) {
    const struct {
        const wchar_t* start;
        int caret;
        int selectionEnd; // -1: just the highlighted character
        std::wstring keys;
        const wchar_t* text;
        int caretAfter;
    } cases[] = {
        // Digits replace the highlighted character and skip the separators.
        {L"00:00:00", 0, -1, L"1", L"10:00:00", 1},
        {L"00:00:00", 0, -1, L"12", L"12:00:00", 3},
        {L"00:00:00", 0, -1, L"123456", L"12:34:56", 8},
        {L"00:00:00", 0, -1, L"1234567", L"12:34:56", 8},
        {L"00:00:00", 7, -1, L"9", L"00:00:09", 8},
        {L"00:00:00", 2, -1, L"5", L"00:50:00", 4},
        // The separator goes on past the next separator; nothing else is accepted.
        {L"00:00:00", 0, -1, L":", L"00:00:00", 3},
        {L"00:00:00", 4, -1, L":", L"00:00:00", 6},
        {L"00:00:00", 2, -1, L":", L"00:00:00", 3},
        {L"00:00:00", 6, -1, L":", L"00:00:00", 6},
        {L"00:00:00", 0, -1, L"a -.", L"00:00:00", 0},
        // Backspace blanks the digit before the caret, Delete the highlighted one.
        {L"12:34:56", 3, -1, {kBackspace}, L"1 :34:56", 1},
        {L"12:34:56", 8, -1, {kBackspace}, L"12:34:5 ", 7},
        {L"12:34:56", 0, -1, {kBackspace}, L"12:34:56", 0},
        {L"12:34:56", 8, -1, {kBackspace, kBackspace, kBackspace}, L"12:3 :  ", 4},
        {L"12:34:56", 4, -1, {kDelete}, L"12:3 :56", 4},
        {L"12:34:56", 2, -1, {kDelete}, L"12:34:56", 2},
        {L"12:34:56", 8, -1, {kDelete}, L"12:34:56", 8},
        // A selection of several characters is blanked, separators stay.
        {L"12:34:56", 1, 4, {kBackspace}, L"1 : 4:56", 1},
        {L"12:34:56", 1, 4, {kDelete}, L"1 : 4:56", 1},
        {L"12:34:56", 1, 4, L"7", L"17: 4:56", 3},
        {L"12:34:56", 0, -1, {kSelectAll, kDelete}, L"  :  :  ", 0},
        {L"12:34:56", 0, -1, std::wstring{kSelectAll} + L"0930", L"09:30:  ", 6},
        // Arrows, Home and End move between digit columns.
        {L"12:34:56", 3, -1, {kLeft}, L"12:34:56", 1},
        {L"12:34:56", 0, -1, {kLeft}, L"12:34:56", 0},
        {L"12:34:56", 1, -1, {kRight}, L"12:34:56", 3},
        {L"12:34:56", 7, -1, {kRight}, L"12:34:56", 8},
        {L"12:34:56", 8, -1, {kRight}, L"12:34:56", 8},
        {L"12:34:56", 4, -1, {kUp}, L"12:34:56", 3},
        {L"12:34:56", 4, -1, {kDown}, L"12:34:56", 6},
        {L"12:34:56", 6, -1, {kHome}, L"12:34:56", 0},
        {L"12:34:56", 1, -1, {kEnd}, L"12:34:56", 8},
        {L"12:34:56", 8, -1, std::wstring{kLeft} + L"0", L"12:34:50", 8},
    };
    for (const auto& c : cases) {
        const std::wstring label = std::wstring(c.start) + L" caret " + std::to_wstring(c.caret);
        field.SetText(c.start);
        if (c.selectionEnd < 0)
            field.SetCaretPosition(c.caret);
        else
            ::SendMessageW(field.Handle(), EM_SETSEL, c.caret, c.selectionEnd);
        Press(field.Handle(), c.keys);
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(field.Text(), c.text);
        EXPECT_EQ(WindowText(field.Handle()), c.text);
        ExpectCaretHighlighted(c.caretAfter);
        EXPECT_EQ(field.Modified(), field.Text() != c.start);
    }
}

TEST_F(MaskEditTest, AClickHighlightsTheCharacterUnderTheMouse) {
    field.SetText(L"12:34:56");
    const auto at = ::SendMessageW(field.Handle(), EM_POSFROMCHAR, 4, 0);
    const LPARAM point = MAKELPARAM(LOWORD(at) + 1, HIWORD(at) + 2);
    ::SendMessageW(field.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageW(field.Handle(), WM_LBUTTONUP, 0, point);
    ExpectCaretHighlighted(4);
}

TEST_F(MaskEditTest, PasteIsFittedIntoTheMask) {
    const struct {
        const wchar_t* clipboard;
        int caret;
        const wchar_t* text;
    } cases[] = {
        {L"12:34:56", 0, L"12:34:56"}, {L"123456", 0, L"12:34:56"}, {L"7:30", 3, L"00:70:30"},
        {L"1 2", 0, L"1 :20:00"},      {L"ab9", 6, L"00:00:90"},    {L"98765", 4, L"00:09:87"},
    };
    for (const auto& c : cases) {
        field.SetText(L"00:00:00");
        field.SetCaretPosition(c.caret);
        ASSERT_TRUE(::OpenClipboard(host.Handle()));
        ::EmptyClipboard();
        const size_t bytes = (std::wcslen(c.clipboard) + 1) * sizeof(wchar_t);
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
        std::memcpy(::GlobalLock(memory), c.clipboard, bytes);
        ::GlobalUnlock(memory);
        ::SetClipboardData(CF_UNICODETEXT, memory);
        ::CloseClipboard();
        ::SendMessageW(field.Handle(), WM_PASTE, 0, 0);
        EXPECT_EQ(field.Text(), c.text) << c.clipboard;
    }
}

TEST_F(MaskEditTest, EscapePutsBackTheTextOfFocusOrOfTheLastProgramSet) {
    Press(field.Handle(), L"12");
    ASSERT_EQ(field.Text(), L"12:00:00");
    Press(field.Handle(), {kEscape});
    EXPECT_EQ(field.Text(), L"00:00:00");
    EXPECT_FALSE(field.Modified());

    field.SetText(L"11:11:11");
    Press(field.Handle(), L"2");
    Press(field.Handle(), {kEscape});
    EXPECT_EQ(field.Text(), L"11:11:11");

    // A change accepted on leaving becomes the text the next focus starts from.
    field.SetCaretPosition(0);
    Press(field.Handle(), L"05");
    ::SetFocus(other.Handle());
    ::SetFocus(field.Handle());
    Pump();
    field.SetCaretPosition(6);
    Press(field.Handle(), std::wstring(L"4") + kEscape);
    EXPECT_EQ(field.Text(), L"05:11:11");
}

TEST_F(MaskEditTest, EnterRefusesABlankRequiredColumn) {
    const struct {
        const wchar_t* text;
        int blankAt; // -1: complete
    } cases[] = {
        {L"12:34:56", -1}, {L" 2:34:56", -1}, {L"1 :34:56", 1}, {L"12:34:5 ", 7}, {L"12:3 :5 ", 4},
    };
    for (const auto& c : cases) {
        field.SetText(c.text);
        field.SetCaretPosition(0);
        MessageBoxCatcher boxes;
        Press(field.Handle(), {kEnter});
        Pump();
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(field.Text(), c.text);
        if (c.blankAt < 0) {
            EXPECT_TRUE(boxes.Boxes().empty());
            continue;
        }
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text,
                  L"Invalid input value.  Use escape key to abandon changes.");
        EXPECT_EQ(boxes.Boxes()[0].caption, ApplicationTitle());
        EXPECT_EQ(::GetFocus(), field.Handle());
        ExpectCaretHighlighted(c.blankAt);
    }
}

TEST_F(MaskEditTest, LeavingAfterAChangeChecksTheField) {
    MessageBoxCatcher boxes;
    field.SetCaretPosition(2);
    Press(field.Handle(), {kBackspace});
    ASSERT_EQ(field.Text(), L"0 :00:00");
    ::SetFocus(other.Handle());
    Pump();

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Invalid input value.  Use escape key to abandon changes.");
    EXPECT_EQ(boxes.Boxes()[0].focusBefore, field.Handle()); // focus back before the box
    EXPECT_EQ(::GetFocus(), field.Handle());
    ExpectCaretHighlighted(1);
    EXPECT_EQ(field.Text(), L"0 :00:00");

    // Escape then goes back to the text from before the change, which may leave.
    Press(field.Handle(), {kEscape});
    EXPECT_EQ(field.Text(), L"00:00:00");
    ::SetFocus(other.Handle());
    Pump();
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(::GetFocus(), other.Handle());
}

TEST_F(MaskEditTest, LeavingWithoutAUserChangeOrWithACompleteTextIsQuiet) {
    MessageBoxCatcher boxes;
    field.SetText(L"  :  :  "); // the program's text is never checked
    ::SetFocus(other.Handle());
    Pump();
    ::SetFocus(field.Handle());
    Press(field.Handle(), L"123456");
    ::SetFocus(other.Handle());
    Pump();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(::GetFocus(), other.Handle());
    EXPECT_FALSE(field.Modified());

    // Column 1 may stay blank.
    ::SetFocus(field.Handle());
    field.SetCaretPosition(1);
    Press(field.Handle(), {kBackspace});
    ::SetFocus(other.Handle());
    Pump();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(field.Text(), L" 2:34:56");
}

} // namespace
} // namespace voice::gui
