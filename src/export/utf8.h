#pragma once
// Wide text (UTF-16 on Windows, UTF-32 elsewhere) as UTF-8, for the index, the CSV and
// the WAV text chunks. Portable.

#include <string>
#include <string_view>

namespace voice::exporting {

// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// Invalid sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);

} // namespace voice::exporting
