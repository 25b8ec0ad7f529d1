#pragma once
// Wide text (UTF-16 on Windows, UTF-32 elsewhere) and UTF-8. Portable.
//
// A POSIX file name is bytes, not always UTF-8 (a folder brought from a code-page system).
// FromUtf8 keeps every byte that is not part of a valid sequence as the lone surrogate
// U+DC80 + (byte - 0x80), so a name read from the system converts back to the very same
// bytes with NameBytes and opens the very file. ToUtf8 is for people: such a byte is
// written out as "\xNN", so the index, the CSV, the WAV's text and the terminal always get
// valid UTF-8.

#include <string>
#include <string_view>

namespace voice {

// A byte kept by FromUtf8 as "\xNN"; any other unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// The exact inverse of FromUtf8: the bytes a name had when the system gave it. An unpaired
// surrogate that stands for no byte becomes U+FFFD.
std::string NameBytes(std::wstring_view text);

// Every byte outside a valid sequence becomes U+DC80 + (byte - 0x80).
std::wstring FromUtf8(std::string_view text);

// The byte a character of FromUtf8's stands for, or -1 for a character that is text.
int KeptByte(wchar_t c) noexcept;

} // namespace voice
