#pragma once
// What voice-export prints, kept to one line per item. Portable.

#include <string>
#include <string_view>

namespace voice::cli {

// text with every control character written out ("\n", "\r", "\t", "\x1B"), so that a
// file name holding a line break cannot split a line of output; a byte of a name that is
// no text (see FromUtf8) is written out the same way ("\xFF").
std::wstring EscapeControls(std::wstring_view text);

} // namespace voice::cli
