#pragma once
// One line of the recordings list. Columns 1..80 are the display text: channel digit,
// two blanks, start "dd.mm.yy hh:nn:ss", two blanks, end in the same pattern, two
// blanks, size in bytes, blanks up to column 80. The recording's full path follows
// from column 81. Portable.

#include "catalogue/date_time.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace voice {

inline constexpr std::size_t kListLineDisplayWidth = 80;
inline constexpr std::size_t kListLinePathColumn = 81;

// Blanks appended up to 80 characters; longer text unchanged.
std::wstring PadTo80(std::wstring text);

// The full 64-bit size is written (a file of 2 GiB or more keeps its true length).
std::wstring BuildListLine(int channel, const DateTimeParts& start, const DateTimeParts& end,
                           std::uint64_t size, std::wstring_view fullPath,
                           wchar_t timeSeparator = L':');
// The same into line, whose buffer is reused when it is large enough; the path is
// pathHead followed by pathTail (a folder ending in '\\' and a name, say).
void BuildListLine(std::wstring& line, int channel, const DateTimeParts& start,
                   const DateTimeParts& end, std::uint64_t size, std::wstring_view pathHead,
                   std::wstring_view pathTail, wchar_t timeSeparator = L':');

// The columns the window shows of a line beside the player: the display text without its
// padding (at most 52 characters).
inline constexpr std::size_t kShownColumns = 52;

// The recording's path: the text from column 81 to the end, the characters of code 0 to 32
// ahead of it skipped and trailing ones kept; empty for a line of 80 characters or fewer.
std::wstring_view ListLinePath(std::wstring_view line) noexcept;

// A list line read back as BuildListLine lays it out, any time separator. A field that is
// not all digits reads as -1, the year included. The line shows two-digit years: the
// start's century is that of the year the recording's own name gives (1900, 1999 or
// 2000..2037) when it ends in the digits shown; otherwise, and for the end (a file time of
// the platform's date-time form), 80..99 are 1980..1999 and 00..79 are 2000..2079.
struct ParsedListLine {
    int channel = -1;
    DateTimeParts start, end;
    std::uint64_t size = 0; // the digits from column 42 on, up to the first other character
    std::wstring_view path; // as ListLinePath gives it
};
ParsedListLine ParseListLine(std::wstring_view line) noexcept;

} // namespace voice
