#pragma once
// The list's end column is the recording's write time moved by the offset from UTC in force
// when the list was made, whatever the date, as the platform converts a file time for the
// window. The index, the CSV and the picture show the clock as it stood at that moment, and
// the heard marks keep a time no clock change moves. Portable; the zone's rules come from
// the system (local_time_posix.cpp, local_time_win32.cpp).

#include <cstdint>

#include "catalogue/date_time.h"

namespace voice::exporting {

// Seconds east of UTC in force now: what a list made now converts its file times with.
std::int64_t UtcOffsetNow();

// The local clock's seconds since 1970 at the UTC second utc, by the zone's rules for that
// date; utc itself when the system cannot say.
std::int64_t LocalSecondsAt(std::int64_t utc);

// Seconds since 01.01.1970 00:00 of a date-time counted without a zone, and back.
std::int64_t SecondsOf(const DateTimeParts& parts) noexcept;
DateTimeParts PartsOf(std::int64_t seconds) noexcept;

// The moment a list's end column (as seconds) stands for, in UTC, for a list converted with
// offsetNow.
inline std::int64_t UtcOfListed(std::int64_t listed, std::int64_t offsetNow) noexcept {
    return listed - offsetNow;
}

// The list's end column as the local clock showed it at that moment.
std::int64_t EndAsItWas(std::int64_t listed, std::int64_t offsetNow);
DateTimeParts EndAsItWas(const DateTimeParts& listed, std::int64_t offsetNow);
inline DateTimeParts EndAsItWas(const DateTimeParts& listed) {
    return EndAsItWas(listed, UtcOffsetNow());
}

} // namespace voice::exporting
