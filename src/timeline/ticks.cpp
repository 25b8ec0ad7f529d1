#include "timeline/ticks.h"

#include <algorithm>
#include <cmath>

namespace voice::timeline {
namespace {

void Append2(std::wstring& text, Seconds value) {
    text += static_cast<wchar_t>(L'0' + value / 10 % 10);
    text += static_cast<wchar_t>(L'0' + value % 10);
}

constexpr TickStep kSteps[] = {
    {1, TickUnit::Second},   {2, TickUnit::Second},   {5, TickUnit::Second},
    {10, TickUnit::Second},  {15, TickUnit::Second},  {30, TickUnit::Second},
    {60, TickUnit::Minute},  {120, TickUnit::Minute}, {300, TickUnit::Minute},
    {600, TickUnit::Minute}, {900, TickUnit::Minute}, {1800, TickUnit::Minute},
    {3600, TickUnit::Hour},  {7200, TickUnit::Hour},  {10800, TickUnit::Hour},
    {21600, TickUnit::Hour}, {43200, TickUnit::Hour}, {86400, TickUnit::Day},
    {172800, TickUnit::Day}, {604800, TickUnit::Day}, {2592000, TickUnit::Day},
};

Seconds CeilTo(double t, Seconds step) {
    return static_cast<Seconds>(std::ceil(t / static_cast<double>(step))) * step;
}

// "dd.mm.yy", or "dd.mm.yyyy" with the whole year.
std::wstring DayText(Seconds t, bool wholeYear) {
    const CalendarDate c = CivilFromDays(DayOf(t));
    std::wstring text;
    Append2(text, c.day);
    text += L'.';
    Append2(text, c.month);
    text += L'.';
    if (wholeYear)
        text += std::to_wstring(c.year);
    else
        Append2(text, c.year % 100);
    return text;
}

} // namespace

TickStep ChooseTickStep(double secondsPerPixel, double minSpacing) noexcept {
    for (const TickStep& step : kSteps)
        if (step.step / secondsPerPixel >= minSpacing)
            return step;
    return kSteps[std::size(kSteps) - 1];
}

std::wstring FormatDate(Seconds t) {
    return DayText(t, false);
}

std::wstring FormatTime(Seconds t, bool withSeconds) {
    const Seconds second = t - MidnightOf(t);
    std::wstring text;
    Append2(text, second / 3600);
    text += L':';
    Append2(text, second / 60 % 60);
    if (withSeconds) {
        text += L':';
        Append2(text, second % 60);
    }
    return text;
}

std::wstring FormatDateTime(Seconds t) {
    return DayText(t, true) + L' ' + FormatTime(t, true);
}

std::wstring FormatDuration(Seconds length) {
    length = std::max<Seconds>(length, 0);
    std::wstring text = std::to_wstring(length / 3600) + L':';
    Append2(text, length / 60 % 60);
    text += L':';
    Append2(text, length % 60);
    return text;
}

std::vector<Tick> MakeTicks(const TimeScale& scale, double minSpacing) {
    const Fold& fold = scale.GetFold();
    const TickStep step = ChooseTickStep(scale.SecondsPerPixel(), minSpacing);
    const double right = scale.Left() + scale.Width();
    const double realFrom = scale.TimeAt(scale.Left());
    const double realTo = scale.TimeAt(right);
    std::vector<Tick> ticks;
    double lastX = -1e300;
    const auto add = [&](Seconds t, bool dayChange) {
        const double x = scale.X(t);
        if (x < scale.Left() - 0.5 || x > right + 0.5 || x - lastX < 1.0)
            return;
        lastX = x;
        ticks.push_back({x, t, dayChange,
                         dayChange || step.unit == TickUnit::Day
                             ? FormatDate(t)
                             : FormatTime(t, step.unit == TickUnit::Second)});
    };
    // Day by day, so that folded hours cost nothing: each day's shown part only.
    for (Seconds day = MidnightOf(static_cast<Seconds>(std::floor(realFrom))); day <= realTo;
         day += kSecondsPerDay) {
        const Seconds shownFrom = day + fold.From();
        add(shownFrom, true);
        if (step.unit == TickUnit::Day)
            continue;
        const Seconds first = std::max<Seconds>(
            CeilTo(std::max<double>(realFrom, shownFrom), step.step), shownFrom + 1);
        // The window's end is the next day's change when folded.
        const Seconds last =
            std::min<Seconds>(static_cast<Seconds>(std::floor(realTo)), day + fold.To() - 1);
        for (Seconds t = first; t <= last; t += step.step)
            add(t, false);
    }
    if (step.unit == TickUnit::Day && step.step > kSecondsPerDay) {
        // Days are too close for a label each: keep every step-th day change.
        std::vector<Tick> kept;
        for (const Tick& tick : ticks)
            if (DayOf(tick.time - fold.From()) % (step.step / kSecondsPerDay) == 0)
                kept.push_back(tick);
        ticks = std::move(kept);
    }
    return ticks;
}

} // namespace voice::timeline
