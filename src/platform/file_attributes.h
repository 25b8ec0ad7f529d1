#pragma once
// File attribute checks the platform's own open does not make for every user. Win32.

#include <string>

namespace voice {

// True for an existing file (not a directory) with the read-only attribute. Wine lets
// root open such a file for writing and replace it, where Windows refuses; the program
// must not, so its creates ask first.
bool IsReadOnlyFile(const std::wstring& path);

} // namespace voice
