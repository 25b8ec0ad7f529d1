#pragma once
// The recordings of the current list as the timeline shows them: one lane per channel that
// has lines, each lane's recordings in order of their start. Times are local wall-clock
// seconds: the start as the recording's name gives it, the end as the clock showed it when
// the file was written (the list shows it by today's offset). Portable.

#include "catalogue/date_time.h"
#include "catalogue/local_time.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace voice::timeline {

// Local wall-clock seconds since 01.01.1970 00:00 (no time zone: the list's own clock), as
// SecondsOf counts a date-time.
using Seconds = std::int64_t;
inline constexpr Seconds kSecondsPerDay = 86400;

// Rounds towards minus infinity, so times before 1970 still fall on their own day.
inline Seconds DayOf(Seconds t) noexcept {
    return (t >= 0 ? t : t - (kSecondsPerDay - 1)) / kSecondsPerDay;
}
inline Seconds MidnightOf(Seconds t) noexcept {
    return DayOf(t) * kSecondsPerDay;
}

struct LineTimes {
    int channel = 0; // 0: not a recordings line
    Seconds start = 0;
    Seconds end = 0;
    std::uint64_t size = 0;
};
// Channel, start, end and size of a list line as ParseListLine reads it (its century rule).
LineTimes ReadLineTimes(std::wstring_view line) noexcept;

struct Recording {
    Seconds start = 0;
    Seconds end = 0; // never before start
    std::uint64_t size = 0;
    std::int32_t line = 0; // index in the list
    std::int32_t lane = 0;
};

struct Lane {
    int channel = 0;
    std::int32_t begin = 0; // the lane's recordings: [begin, end) of Timeline::recordings
    std::int32_t end = 0;
    Seconds longest = 0; // the longest duration, which bounds a search by start
};

struct Timeline {
    std::vector<Recording> recordings;    // by lane, then start, then line
    std::vector<Lane> lanes;              // by channel
    std::vector<std::int32_t> itemOfLine; // list index -> recording, -1 for none
    Seconds firstDay = 0;                 // midnight of the first day shown
    Seconds lastDay = 0;                  // midnight of the last day shown

    bool Empty() const noexcept { return recordings.empty(); }
    std::int32_t ItemOfLine(std::int32_t line) const noexcept {
        return line >= 0 && line < static_cast<std::int32_t>(itemOfLine.size()) ? itemOfLine[line]
                                                                                : -1;
    }
};

// The lanes of lines; the axis covers the days of the recordings, widened to the searched
// days when given (midnights; 0 for none).
Timeline BuildTimeline(std::span<const std::wstring> lines, Seconds searchedFrom = 0,
                       Seconds searchedTo = 0);

} // namespace voice::timeline
