#include "catalogue/date_time.h"

#include "platform/app_error.h"

#include <array>
#include <cmath>

namespace voice {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Days from 01.01.0001 (proleptic Gregorian, day 1) to 30.12.1899.
constexpr std::int64_t kDaysTo1899_12_30 = 693594;
// Days from 01.01.0001 to 01.01.1601.
constexpr std::int64_t kDaysTo1601 = 584388;

bool IsLeap(int year) noexcept {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) noexcept {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 01.01.0001 (that day being 1) to 01.01.1970.
constexpr std::int64_t kDayNumberOf1970 = 719163;

std::int64_t DayNumber(int year, int month, int day) noexcept {
    return DaysFromCivil(year, month, day) + kDayNumberOf1970;
}

CalendarDate FromDayNumber(std::int64_t n) noexcept {
    return CivilFromDays(n - kDayNumberOf1970);
}

// "00" to "99" one after another: a pair is two loads, not two divisions.
constexpr auto kDigitPairs = [] {
    std::array<wchar_t, 200> pairs{};
    for (int v = 0; v < 100; ++v) {
        pairs[static_cast<std::size_t>(2 * v)] = static_cast<wchar_t>(L'0' + v / 10);
        pairs[static_cast<std::size_t>(2 * v + 1)] = static_cast<wchar_t>(L'0' + v % 10);
    }
    return pairs;
}();

void Put2(wchar_t* out, int value) noexcept {
    if (value < 0 || value > 99)
        value = ((value % 100) + 100) % 100;
    out[0] = kDigitPairs[static_cast<std::size_t>(2 * value)];
    out[1] = kDigitPairs[static_cast<std::size_t>(2 * value + 1)];
}

} // namespace

std::int64_t DaysFromCivil(std::int64_t year, int month, int day) noexcept {
    // Counted in 400-year eras from 01.03.0000, so February ends each year.
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CalendarDate CivilFromDays(std::int64_t days) noexcept {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    return {static_cast<int>(yearOfEra + era * 400 + (month <= 2)), month, day};
}

bool IsValidDate(int year, int month, int day) noexcept {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool IsValidDateTime(const DateTimeParts& p) noexcept {
    return IsValidDate(p.year, p.month, p.day) && p.hour >= 0 && p.hour < 24 && p.minute >= 0 &&
           p.minute < 60 && p.second >= 0 && p.second < 60;
}

DateTime EncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        throw DateEncodeError();
    return static_cast<double>(DayNumber(year, month, day) - kDaysTo1899_12_30);
}

DateTime EncodeTime(int hour, int minute, int second) noexcept {
    return static_cast<double>((hour * 3600 + minute * 60 + second) * 1000) / kMsPerDay;
}

DateTime EncodeDateTime(const DateTimeParts& p) {
    return EncodeDate(p.year, p.month, p.day) + EncodeTime(p.hour, p.minute, p.second);
}

DateTimeParts DecodeDateTime(DateTime value) noexcept {
    std::int64_t days;
    std::int64_t ms;
    if (value >= 0) {
        std::int64_t total = std::llround(value * kMsPerDay);
        days = total / kMsPerDay;
        ms = total % kMsPerDay;
    } else {
        days = static_cast<std::int64_t>(value); // toward zero
        ms = std::llround(std::fabs(value - static_cast<double>(days)) * kMsPerDay);
        if (ms >= kMsPerDay)
            ms = kMsPerDay - 1;
    }
    CalendarDate d = FromDayNumber(days + kDaysTo1899_12_30);
    std::int64_t s = ms / 1000;
    return {d.year,
            d.month,
            d.day,
            static_cast<int>(s / 3600),
            static_cast<int>(s / 60 % 60),
            static_cast<int>(s % 60)};
}

CalendarDate DateOf(DateTime value) noexcept {
    DateTimeParts p = DecodeDateTime(value);
    return {p.year, p.month, p.day};
}

DateTimeParts FileTimeToTwoSecondParts(std::uint64_t fileTime) noexcept {
    std::uint64_t seconds = fileTime / 10'000'000;
    std::int64_t days = static_cast<std::int64_t>(seconds / 86400);
    int inDay = static_cast<int>(seconds % 86400);
    CalendarDate d = FromDayNumber(days + kDaysTo1601 + 1);
    return {d.year, d.month, d.day, inDay / 3600, inDay / 60 % 60, inDay % 60 & ~1};
}

void WriteYyyymmdd(const CalendarDate& date, wchar_t* out) noexcept {
    Put2(out, date.year / 100);
    Put2(out + 2, date.year);
    Put2(out + 4, date.month);
    Put2(out + 6, date.day);
}

void WriteHhnnss(const DateTimeParts& p, wchar_t sep, wchar_t* out) noexcept {
    Put2(out, p.hour);
    out[2] = sep;
    Put2(out + 3, p.minute);
    out[5] = sep;
    Put2(out + 6, p.second);
}

void WriteListDateTime(const DateTimeParts& p, wchar_t sep, wchar_t* out) noexcept {
    Put2(out, p.day);
    out[2] = L'.';
    Put2(out + 3, p.month);
    out[5] = L'.';
    Put2(out + 6, p.year);
    out[8] = L' ';
    WriteHhnnss(p, sep, out + 9);
}

std::wstring FormatYyyymmdd(const CalendarDate& date) {
    std::wstring s(8, L'0');
    WriteYyyymmdd(date, s.data());
    return s;
}

std::wstring FormatHhnnss(const DateTimeParts& parts, wchar_t sep) {
    std::wstring s(8, L'0');
    WriteHhnnss(parts, sep, s.data());
    return s;
}

std::wstring FormatListDateTime(const DateTimeParts& parts, wchar_t sep) {
    std::wstring s(17, L'0');
    WriteListDateTime(parts, sep, s.data());
    return s;
}

} // namespace voice
