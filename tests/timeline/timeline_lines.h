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
        // Days since 1970 back to a date: 1970-01-01 is a Thursday; count the civil way.
        int year = 1970, month = 1;
        Seconds rest = day;
        const auto daysIn = [](int y, int m) {
            static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
            return m == 2 && leap ? 29 : kDays[m - 1];
        };
        while (rest >= daysIn(year, month)) {
            rest -= daysIn(year, month);
            if (++month > 12)
                month = 1, ++year;
        }
        const Seconds second = t - day * kSecondsPerDay;
        return DateTimeParts{year,
                             month,
                             static_cast<int>(rest) + 1,
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
    return LocalSeconds(2026, 12, 7, hour, minute, second);
}

} // namespace voice::timeline::test
