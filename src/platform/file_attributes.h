#pragma once
// File attribute checks the platform's own open does not make for every user. Win32.

#include <string>

namespace voice {

// True for an existing file (not a directory) with the read-only attribute. Windows
// lets a privileged user open such a file for writing, and Wine lets root replace it;
// the program must not, so its creates ask first.
bool IsReadOnlyFile(const std::wstring& path);

} // namespace voice
