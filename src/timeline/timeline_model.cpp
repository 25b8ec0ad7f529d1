#include "timeline/timeline_model.h"

#include "catalogue/list_line.h"
#include "catalogue/local_time.h"

#include <algorithm>
#include <array>
#include <limits>

namespace voice::timeline {
namespace {

// The list's date-time as seconds; false when it is not a date-time.
bool ReadStamp(const DateTimeParts& p, Seconds& out) noexcept {
    if (!IsValidDateTime(p))
        return false;
    out = SecondsOf({p.year, p.month, p.day, p.hour, p.minute, p.second});
    return true;
}

// The list's end as the clock showed it then (the list converts by today's offset). A zone
// changes its offset at most once a day, so a day with the same offset at both of its ends
// has it throughout: the system is asked twice for the day. A day with a transition is
// asked once per quarter hour, on which transitions fall.
class EndClock {
public:
    Seconds AsItWas(Seconds listed) {
        const Seconds utc = UtcOfListed(listed, offsetNow_);
        const Seconds day = DayOf(utc);
        Day& known = days_[static_cast<std::size_t>(day) % days_.size()];
        if (known.day != day) {
            const Seconds offset = OffsetAt(day * kSecondsPerDay);
            known = {day, offset, offset == OffsetAt((day + 1) * kSecondsPerDay)};
        }
        if (known.whole)
            return utc + known.offset;
        const Seconds quarter = utc >= 0 ? utc / 900 : (utc - 899) / 900;
        return utc + OffsetAt(quarter * 900);
    }

private:
    static Seconds OffsetAt(Seconds utc) { return UtcOffsetAt(utc); }

    struct Day {
        Seconds day = std::numeric_limits<Seconds>::min();
        Seconds offset = 0;
        bool whole = false; // the offset holds for the whole day
    };
    Seconds offsetNow_ = UtcOffsetNow();
    std::array<Day, 64> days_{};
};

} // namespace

LineTimes ReadLineTimes(std::wstring_view line) noexcept {
    const ParsedListLine parsed = ParseListLine(line);
    LineTimes times;
    if (parsed.channel < 1 || !ReadStamp(parsed.start, times.start) ||
        !ReadStamp(parsed.end, times.end))
        return {};
    times.channel = parsed.channel;
    times.size = parsed.size;
    return times;
}

Timeline BuildTimeline(std::span<const std::wstring> lines, Seconds searchedFrom,
                       Seconds searchedTo) {
    Timeline timeline;
    timeline.itemOfLine.assign(lines.size(), -1);
    // Counting by channel first places every recording in its lane's slice at once, so
    // only each lane's own slice needs sorting.
    constexpr int kChannels = 10;
    std::vector<Recording> read(lines.size());
    std::size_t perChannel[kChannels] = {};
    std::size_t kept = 0;
    EndClock clock;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineTimes times = ReadLineTimes(lines[i]);
        if (times.channel == 0)
            continue;
        read[kept++] = {times.start, std::max(times.start, clock.AsItWas(times.end)), times.size,
                        static_cast<std::int32_t>(i), times.channel};
        ++perChannel[times.channel];
    }
    read.resize(kept);

    std::size_t slot[kChannels] = {};
    for (int channel = 1, at = 0; channel < kChannels; ++channel) {
        if (perChannel[channel] == 0)
            continue;
        slot[channel] = static_cast<std::size_t>(at);
        timeline.lanes.push_back(
            {channel, at, at + static_cast<std::int32_t>(perChannel[channel]), 0});
        at += static_cast<int>(perChannel[channel]);
    }
    timeline.recordings.resize(kept);
    for (const Recording& r : read)
        timeline.recordings[slot[r.lane]++] = r; // lane holds the channel until here

    for (std::size_t l = 0; l < timeline.lanes.size(); ++l) {
        Lane& lane = timeline.lanes[l];
        auto first = timeline.recordings.begin() + lane.begin;
        auto last = timeline.recordings.begin() + lane.end;
        auto byStart = [](const Recording& a, const Recording& b) {
            return a.start != b.start ? a.start < b.start : a.line < b.line;
        };
        // A list sorted by start, or by channel, already holds each lane in order.
        if (!std::is_sorted(first, last, byStart))
            std::sort(first, last, byStart);
        for (auto it = first; it != last; ++it) {
            it->lane = static_cast<std::int32_t>(l);
            lane.longest = std::max(lane.longest, it->end - it->start);
            timeline.itemOfLine[it->line] =
                static_cast<std::int32_t>(it - timeline.recordings.begin());
        }
    }

    Seconds first = searchedFrom, last = searchedTo;
    for (const Recording& r : timeline.recordings) {
        first = first == 0 ? r.start : std::min(first, r.start);
        last = std::max(last, r.end);
    }
    timeline.firstDay = MidnightOf(first);
    timeline.lastDay = std::max(timeline.firstDay, MidnightOf(last));
    return timeline;
}

} // namespace voice::timeline
