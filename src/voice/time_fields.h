#pragma once
// Stepping the hours, minutes or seconds of a time-of-day field ("hh:nn:ss") with the
// arrow buttons beside it. The text rules are portable; IncTimeField works on any field
// offering Text/SetText/CaretPosition/SetCaretPosition (gui::MaskEdit) and any arrows
// offering Increment (gui::UpDown).

#include "gui/up_down_button.h"

#include <string>

namespace voice {

// Steps the two-digit group at columns column and column + 1 (numbered from 1, as the
// field's columns are): a group that is not a number or is above limit counts as 0; the
// arithmetic is on 8 bits; down stops at 0, up past limit gives 0; the result is written
// back as two digits. Columns beyond the end of text count as blanks.
void IncTimeGroup(std::wstring& text, int column, int limit, gui::UpDownButton direction, int step);

// text with the group under caret stepped: caret 0 to 2 the hours (limit 23), 3 to 5 the
// minutes, 6 to 8 the seconds (limit 59 each). Any other caret changes nothing.
std::wstring SteppedTimeText(std::wstring text, int caret, gui::UpDownButton direction, int step);

template <typename TimeField, typename Arrows>
void IncTimeField(gui::UpDownButton direction, TimeField& field, const Arrows& arrows) {
    const int caret = field.CaretPosition();
    field.SetText(SteppedTimeText(field.Text(), caret, direction, arrows.Increment()));
    field.SetCaretPosition(caret); // repeated clicks keep stepping the same group
}

} // namespace voice
