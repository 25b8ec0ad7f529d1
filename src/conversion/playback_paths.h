#pragma once
// Where the conversion reads and writes. Portable: no <windows.h>.

#include <string>
#include <string_view>

namespace voice {

// StartDir, a backslash and "$$$.Wav", joined as they stand.
std::wstring PlaybackFilePath(const std::wstring& startDir);

} // namespace voice
