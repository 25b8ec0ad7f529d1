#include "export/local_time.h"

namespace voice::exporting {
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

std::int64_t EndAsItWas(std::int64_t listed, std::int64_t offsetNow) {
    return LocalSecondsAt(UtcOfListed(listed, offsetNow));
}

DateTimeParts EndAsItWas(const DateTimeParts& listed, std::int64_t offsetNow) {
    return PartsOf(EndAsItWas(SecondsOf(listed), offsetNow));
}

} // namespace voice::exporting
