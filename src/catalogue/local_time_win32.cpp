#include <windows.h>

#include "catalogue/local_time.h"

namespace voice {
namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;

std::int64_t TicksOf(const FILETIME& time) noexcept {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

} // namespace

std::int64_t UtcOffsetNow() {
    // The bias FileTimeToLocalFileTime applies, which is what converted the list.
    FILETIME utc, local;
    ::GetSystemTimeAsFileTime(&utc);
    if (!::FileTimeToLocalFileTime(&utc, &local))
        return 0;
    return (TicksOf(local) - TicksOf(utc)) / kTicksPerSecond;
}

std::int64_t LocalSecondsAt(std::int64_t utc) {
    // FILETIME reaches from 1601 to the year 30827.
    if (utc < -kUnixEpochTicks / kTicksPerSecond || utc > 900'000'000'000LL)
        return utc;
    const auto ticks = static_cast<std::uint64_t>(utc * kTicksPerSecond + kUnixEpochTicks);
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal, local;
    // The zone's rules for that date, daylight saving included.
    if (!::FileTimeToSystemTime(&time, &universal) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return utc;
    return SecondsOf(
        {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond});
}

} // namespace voice
