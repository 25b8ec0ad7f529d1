#pragma once
// Creating the child windows of the control wrappers, and the colours a wrapper answers
// with when its parent asks how to paint it.

#include <windows.h>

namespace voice::gui {

// A child window of a standard or common control class; throws when the system refuses.
HWND CreateChildWindow(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text,
                       HWND parent, int id, int x, int y, int width, int height);

// Answers WM_CTLCOLORSTATIC / WM_CTLCOLORBTN for a control drawn on the button face: the
// given text colour, transparent text background. Returns false for other messages.
bool AnswerControlColour(UINT msg, WPARAM wp, COLORREF textColour, LRESULT& result);

// Registers the common control classes once per process.
void EnsureCommonControls();

} // namespace voice::gui
