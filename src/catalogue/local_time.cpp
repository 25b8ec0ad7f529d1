#include "catalogue/local_time.h"

#include <algorithm>
#include <ctime>

namespace voice {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

} // namespace

std::int64_t SecondsOf(const DateTimeParts& p) noexcept {
    return DaysFromCivil(p.year, p.month, p.day) * kSecondsPerDay + p.hour * 3600 + p.minute * 60 +
           p.second;
}

DateTimeParts PartsOf(std::int64_t seconds) noexcept {
    const std::int64_t days =
        (seconds >= 0 ? seconds : seconds - (kSecondsPerDay - 1)) / kSecondsPerDay;
    const std::int64_t inDay = seconds - days * kSecondsPerDay;
    const CalendarDate date = CivilFromDays(days);
    DateTimeParts parts{date.year, date.month, date.day};
    parts.hour = static_cast<int>(inDay / 3600);
    parts.minute = static_cast<int>(inDay / 60 % 60);
    parts.second = static_cast<int>(inDay % 60);
    return parts;
}

DateTimeParts LocalNow() {
    return PartsOf(LocalSecondsAt(static_cast<std::int64_t>(std::time(nullptr))));
}

std::int64_t InstantOfLocal(std::int64_t local, std::int64_t notAfter) {
    // A zone changes its offset at most once a day: the offsets a day before and a day
    // after are the only ones the clock can have shown local by.
    const std::int64_t before = local - UtcOffsetAt(local - kSecondsPerDay);
    const std::int64_t after = local - UtcOffsetAt(local + kSecondsPerDay);
    const bool beforeShown = LocalSecondsAt(before) == local;
    const bool afterShown = LocalSecondsAt(after) == local;
    if (beforeShown && afterShown && before != after) {
        const std::int64_t earlier = std::min(before, after), later = std::max(before, after);
        return later <= notAfter ? later : earlier;
    }
    if (afterShown && !beforeShown)
        return after;
    return before; // also a time the clock skipped
}

} // namespace voice
