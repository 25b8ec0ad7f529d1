#pragma once
// The time axis: a tick step that follows the zoom (seconds, minutes, hours, days), its
// labels, and the day changes, in the pixels of a TimeScale. Portable.

#include "timeline/time_scale.h"

#include <string>
#include <vector>

namespace voice::timeline {

enum class TickUnit { Second, Minute, Hour, Day };

struct TickStep {
    Seconds step = 1;
    TickUnit unit = TickUnit::Second;
};

// The smallest step of the usual ones whose labels stand at least minSpacing pixels apart.
TickStep ChooseTickStep(double secondsPerPixel, double minSpacing) noexcept;

struct Tick {
    double x = 0;
    Seconds time = 0;
    bool dayChange = false; // the first shown second of a day
    std::wstring label;     // "dd.mm.yy" at a day change, else as the unit shows time
};

// Ticks inside [left, left + width] of scale, in order; at most one tick per pixel.
std::vector<Tick> MakeTicks(const TimeScale& scale, double minSpacing);

// "dd.mm.yy", "hh:nn", "hh:nn:ss" of a local time.
std::wstring FormatDate(Seconds t);
std::wstring FormatTime(Seconds t, bool withSeconds);
// "dd.mm.yyyy hh:nn:ss"
std::wstring FormatDateTime(Seconds t);
// "h:nn:ss"
std::wstring FormatDuration(Seconds length);

} // namespace voice::timeline
