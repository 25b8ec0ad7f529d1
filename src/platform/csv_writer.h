#pragma once
// The CSV dialect of the index and the saved list: UTF-8 with a byte order mark (so
// spreadsheet programs on a Russian system read the Cyrillic right), fields separated by
// ';', CRLF line ends, a field quoted when it holds ';', '"', a line break or blanks at
// either end, quotes doubled inside. Portable.

#include <string>
#include <string_view>
#include <vector>

namespace voice {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string CsvField(std::wstring_view text);

// The fields joined by ';' and ended by CRLF.
std::string CsvRow(const std::vector<std::wstring>& fields);

} // namespace voice
