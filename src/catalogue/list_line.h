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

// The recording's path: everything from column 81 on (empty for a shorter line).
std::wstring_view ListLinePath(std::wstring_view line) noexcept;

// The display columns read back as BuildListLine lays them out, any time separator. A
// field that is not all digits reads as -1; the years are the two digits shown.
struct ListLineFields {
    int channel = -1;
    DateTimeParts start, end;
    std::uint64_t size = 0; // the digits from column 42 on, up to the first other character
};
ListLineFields ReadListLineFields(std::wstring_view line) noexcept;

} // namespace voice
