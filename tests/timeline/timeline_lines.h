#pragma once
// List lines for the timeline's tests, written as the search writes them.

#include "catalogue/list_line.h"
#include "timeline/timeline_model.h"

#include <string>

namespace voice::timeline::test {

// A line of channel from start to end (local seconds), with its size and path.
inline std::wstring LineOf(int channel, Seconds start, Seconds end, std::uint64_t size = 1000,
                           const std::wstring& path = L"") {
    const auto parts = [](Seconds t) {
        const Seconds day = DayOf(t);
        const CalendarDate date = CivilFromDays(day);
        const Seconds second = t - day * kSecondsPerDay;
        return DateTimeParts{date.year,
                             date.month,
                             date.day,
                             static_cast<int>(second / 3600),
                             static_cast<int>(second / 60 % 60),
                             static_cast<int>(second % 60)};
    };
    const std::wstring file = path.empty()
                                  ? L"Z:\\arch\\kanal" + std::to_wstring(channel) + L"\\r" +
                                        std::to_wstring(start) + L"." + std::to_wstring(channel)
                                  : path;
    return BuildListLine(channel, parts(start), parts(end), size, file);
}

// 07.12.2026 at hh:mm:ss.
inline Seconds Dec7(int hour, int minute = 0, int second = 0) {
    return SecondsOf({2026, 12, 7, hour, minute, second});
}

} // namespace voice::timeline::test
