#pragma once
// Text on the system clipboard.

#include <windows.h>

#include <string>

namespace voice::gui {

// Replaces the clipboard's contents with text (CF_UNICODETEXT). False when the clipboard
// is held by another program or memory runs out; the clipboard is then unchanged.
bool SetClipboardText(HWND owner, const std::wstring& text);

// The clipboard's text, empty when it holds none.
std::wstring ClipboardText(HWND owner);

} // namespace voice::gui
