#pragma once
// Conversions between the program's 8-bit texts (ANSI code page) and the wide API.

#include <string>
#include <string_view>

namespace voice {

std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

} // namespace voice
