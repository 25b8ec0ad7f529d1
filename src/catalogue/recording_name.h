#pragma once
// Dates the recorder encodes in day-directory and recording names. Text only, no disk.
// A name of the wrong shape decodes to 01.01.1900 00:00:00; a character that does not
// fit its position decodes to that position's default. The one failure is a calendar
// date that does not exist: DateEncodeError.

#include "catalogue/date_time.h"

#include <string_view>

namespace voice {

// The recorder's 38-character alphabet; note J before I.
inline constexpr std::wstring_view kNameAlphabet = L"0123456789ABCDEFGHJIKLMNOPQRSTUVWXYZ_$";

// Position in kNameAlphabet of an upper-case character, -1 when it has none.
int NameCharValue(wchar_t c) noexcept;

// The number the recorder writes in two characters of a name (blanks, a sign, or a
// '$' / 'X' / "0X" hexadecimal prefix); whatever follows the digits is ignored and no
// digits read as 0. The caller applies the 1..59 rule.
int ReadNamePairNumber(wchar_t first, wchar_t second) noexcept;

// Both take a full or bare path; only the text after the last '\' or ':' counts.
DateTimeParts DecodeDayDirParts(std::wstring_view path);
DateTimeParts DecodeRecordingParts(std::wstring_view name);

DateTime DecodeDayDirName(std::wstring_view path);
DateTime DecodeRecordingName(std::wstring_view name);

} // namespace voice
