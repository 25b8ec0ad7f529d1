#pragma once
// A one-line edit governed by a mask of fixed columns: digit columns (required or
// optional) and literal columns (the separators). The text always holds every column:
// digits, the literals, and a blank for each empty digit column. The caret is shown as
// one highlighted character; the user types over digits, never over literals.
//
// Enter, or the focus moving to another control of the same window after the user
// changed the text, checks that no required column is blank; otherwise the field beeps,
// keeps the focus, highlights the first blank required column and shows the standard
// error box. Escape puts back the text the field had when it got the focus or was last
// set by the program.

#include "gui/control.h"
#include "platform/unique_handle.h"

#include <string>
#include <string_view>
#include <vector>

namespace voice::gui {

class MaskEdit : public Control {
public:
    // Optional hour tens, then required digits; ':' stands for the locale's time
    // separator, the blank after the last ';' is the character of an empty column.
    static constexpr std::wstring_view kTimeMask = L"!90:00:00;1; ";
    static constexpr std::wstring_view kInvalidInputText =
        L"Invalid input value.  Use escape key to abandon changes";

    MaskEdit() = default;

    // Created empty (blank digit columns), disabled, with the button-face background.
    void Create(HWND parent, UINT id, int x, int y, int width, int height,
                std::wstring_view mask = kTimeMask);

    // Every column as shown: Length() characters.
    std::wstring Text() const { return text_; }
    // Fits text into the mask column by column (a non-digit in a digit column becomes a
    // blank, literal columns keep their literal). Counts as set by the program.
    void SetText(std::wstring_view text);
    int Length() const noexcept { return static_cast<int>(columns_.size()); }

    // Index of the first highlighted character; Length() when the caret stands after the
    // last character.
    int CaretPosition() const;
    void SetCaretPosition(int position);

    void SetBackground(COLORREF color);
    // Whether the user changed the text since the field got the focus or its text was
    // last set by the program.
    bool Modified() const noexcept { return modified_; }

    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    enum class ColumnKind { RequiredDigit, OptionalDigit, Literal };
    struct Column {
        ColumnKind kind;
        wchar_t literal;
    };

    void ParseMask(std::wstring_view mask);
    std::wstring Fitted(std::wstring_view text) const;
    bool IsDigitColumn(int index) const;
    int NextDigitColumn(int from) const;       // first digit column >= from, or Length()
    int PreviousDigitColumn(int before) const; // last digit column < before, or -1
    int FirstBlankRequiredColumn() const;      // -1 when the text is complete

    std::pair<int, int> Selection() const;
    void Highlight(int position);
    void NormaliseSelection();
    void Show(const std::wstring& text);
    void ApplyUserEdit(std::wstring text, int caret);
    bool BlankSelection(std::wstring& text, int& caret) const;

    bool Put(wchar_t ch);
    bool JumpPast(wchar_t ch);
    void TypeCharacter(wchar_t ch);
    void Backspace();
    void Delete();
    void MoveLeft();
    void MoveRight();
    void Paste(std::wstring_view text);
    void CutToClipboard();
    void Escape();
    bool Check();
    void Reject();
    void OnFocusLeaving(HWND newFocus);

    std::vector<Column> columns_;
    wchar_t blank_ = L' ';
    std::wstring text_;
    std::wstring snapshot_; // what Escape restores
    bool modified_ = false;
    COLORREF background_ = 0;
    BrushHandle backgroundBrush_;
    UINT recheckMessage_ = 0;
};

} // namespace voice::gui
