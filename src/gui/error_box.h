#pragma once
// The application's standard error box: error icon, the program's title as caption,
// and the error's text with a full stop appended where the text does not end in one.

#include <windows.h>
#include <string>
#include <string_view>

namespace voice::gui {

// The executable's file name without its directory, cut at its first dot, every
// character after the first in lower case ("VOICE.EXE" gives "Voice").
std::wstring ApplicationTitle();
std::wstring ApplicationTitleFromPath(std::wstring_view exePath);

// Appends "." when the last character sorts after "." (letters and digits do).
std::wstring WithFullStop(std::wstring text);

void ShowErrorBox(HWND owner, const std::wstring& text);

// Call inside a catch block: shows the exception in flight in the standard error box.
void ShowCurrentException(HWND owner) noexcept;

} // namespace voice::gui
