#pragma once
// "Перейти к времени…": a small modal dialog asking for a date and time.

#include "timeline/timeline_model.h"

#include <windows.h>

#include <optional>

namespace voice::timeline {

// The time typed, or none when cancelled. Starts with initial; a text that is no date and
// time keeps the dialog open with the text selected.
std::optional<Seconds> AskGoToTime(HWND owner, Seconds initial, HFONT font);

} // namespace voice::timeline
