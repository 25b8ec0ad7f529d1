#pragma once
// The list's end column is the recording's write time moved by the offset from UTC in force
// when the list was made, whatever the date, as the platform converts a file time for the
// window. The index, the CSV and the picture show the clock as it stood at that moment, and
// the heard marks keep a time no clock change moves. Portable; the zone's rules come from
// the system (local_time_posix.cpp, local_time_win32.cpp).

#include <cstdint>

#include "catalogue/date_time.h"

namespace voice {

// Seconds east of UTC in force now: what a list made now converts its file times with.
std::int64_t UtcOffsetNow();
// The local clock now, as the names of the files a command writes give it.
DateTimeParts LocalNow();

// The local clock's seconds since 1970 at the UTC second utc, by the zone's rules for that
// date; utc itself when the system cannot say.
std::int64_t LocalSecondsAt(std::int64_t utc);

// The UTC second at which the local clock showed local (seconds counted without a zone), by
// the zone's rules for that date. A time the clock skipped when it went forward is read by
// the offset in force until then; a time it showed twice when it went back is the later of
// the two that is not after notAfter, or the earlier when neither is.
std::int64_t InstantOfLocal(std::int64_t local, std::int64_t notAfter);

// Seconds east of UTC in force at the UTC second utc.
inline std::int64_t UtcOffsetAt(std::int64_t utc) {
    return LocalSecondsAt(utc) - utc;
}

// Seconds since 01.01.1970 00:00 of a date-time counted without a zone, and back.
std::int64_t SecondsOf(const DateTimeParts& parts) noexcept;
DateTimeParts PartsOf(std::int64_t seconds) noexcept;

// The moment a list's end column (as seconds) stands for, in UTC, for a list converted with
// offsetNow.
inline std::int64_t UtcOfListed(std::int64_t listed, std::int64_t offsetNow) noexcept {
    return listed - offsetNow;
}

} // namespace voice
