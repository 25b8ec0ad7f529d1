#include "export/local_time.h"

namespace voice::exporting {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 01.01.1970 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) noexcept {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, DateTimeParts& out) noexcept {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    out.day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    out.month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2));
}

} // namespace

std::int64_t SecondsOf(const DateTimeParts& p) noexcept {
    return DaysFromCivil(p.year, p.month, p.day) * kSecondsPerDay + p.hour * 3600 + p.minute * 60 +
           p.second;
}

DateTimeParts PartsOf(std::int64_t seconds) noexcept {
    const std::int64_t days =
        (seconds >= 0 ? seconds : seconds - (kSecondsPerDay - 1)) / kSecondsPerDay;
    const std::int64_t inDay = seconds - days * kSecondsPerDay;
    DateTimeParts parts;
    CivilFromDays(days, parts);
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
