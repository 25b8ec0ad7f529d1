#pragma once
// Date-time values as the program keeps them: a double counting days since
// 30.12.1899, its fraction being the time of day. Portable.

#include <cstdint>
#include <string>

namespace voice {

using DateTime = double;

struct CalendarDate {
    int year = 1900;
    int month = 1;
    int day = 1;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// A broken-down date-time, seconds resolution.
struct DateTimeParts {
    int year = 1900;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

bool IsValidDate(int year, int month, int day) noexcept;
// A calendar date (years 1..9999) and a time of day.
bool IsValidDateTime(const DateTimeParts& parts) noexcept;

// Days since 01.01.1970 of a proleptic Gregorian date, and back: the one conversion between
// days and dates, for any year.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) noexcept;
CalendarDate CivilFromDays(std::int64_t days) noexcept;

// Throws DateEncodeError when year, month and day are not a calendar date (years 1..9999).
DateTime EncodeDate(int year, int month, int day);
DateTime EncodeTime(int hour, int minute, int second) noexcept;
DateTime EncodeDateTime(const DateTimeParts& parts);

// Rounds to the nearest millisecond and drops it. For a negative value the integral
// part is the day and the absolute fraction the time of day.
DateTimeParts DecodeDateTime(DateTime value) noexcept;
CalendarDate DateOf(DateTime value) noexcept;

// A FILETIME count (100 ns since 01.01.1601) to parts at two-second resolution: odd
// seconds drop to the even second below, as in the platform's file date-time form.
DateTimeParts FileTimeToTwoSecondParts(std::uint64_t fileTime) noexcept;

// The text forms. ':' stands for the locale's time separator.
std::wstring FormatYyyymmdd(const CalendarDate& date);
std::wstring FormatHhnnss(const DateTimeParts& parts, wchar_t timeSeparator = L':');
std::wstring FormatListDateTime(const DateTimeParts& parts, wchar_t timeSeparator = L':');
inline std::wstring FormatYyyymmdd(DateTime value) {
    return FormatYyyymmdd(DateOf(value));
}

// Allocation-free writers for the hot path; each writes exactly the pattern's length.
void WriteYyyymmdd(const CalendarDate& date, wchar_t* out8) noexcept;
void WriteHhnnss(const DateTimeParts& parts, wchar_t timeSeparator, wchar_t* out8) noexcept;
void WriteListDateTime(const DateTimeParts& parts, wchar_t timeSeparator, wchar_t* out17) noexcept;

} // namespace voice
