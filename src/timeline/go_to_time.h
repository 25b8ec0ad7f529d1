#pragma once
// What "Перейти к времени…" accepts: "dd.mm.yyyy hh:nn[:ss]" (a two-digit year too), a
// date alone (its midnight), or a time alone (on the day of reference). Portable.

#include "timeline/timeline_model.h"

#include <optional>
#include <string>
#include <string_view>

namespace voice::timeline {

std::optional<Seconds> ParseGoToTime(std::wstring_view text, Seconds reference);

// The text the dialog starts with: "dd.mm.yyyy hh:nn:ss".
std::wstring GoToTimeText(Seconds t);

} // namespace voice::timeline
