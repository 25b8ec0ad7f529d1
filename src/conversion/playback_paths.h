#pragma once
// Where the conversion reads and writes. Portable: no <windows.h>.

#include <string>
#include <string_view>

namespace voice {

// The recording's path on a list line: the text from column 81 to the end, with every
// leading character of code 0 to 32 removed; trailing characters stay. A line of 80
// characters or fewer gives an empty path.
std::wstring RecordingPathOfListLine(std::wstring_view listLine);

// StartDir, a backslash and "$$$.Wav", joined as they stand.
std::wstring PlaybackFilePath(const std::wstring& startDir);

} // namespace voice
