#include "timeline/timeline_model.h"

#include <algorithm>

namespace voice::timeline {
namespace {

constexpr std::size_t kStartColumn = 3; // zero-based, as the list lays its columns out
constexpr std::size_t kEndColumn = 22;
constexpr std::size_t kSizeColumn = 41;
constexpr std::size_t kSizeEnd = 80;

// -1 when any of the count characters is not a digit.
int Digits(std::wstring_view line, std::size_t at, std::size_t count) noexcept {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= line.size() || line[i] < L'0' || line[i] > L'9')
            return -1;
        value = value * 10 + (line[i] - L'0');
    }
    return value;
}

// "dd.mm.yy hh:nn:ss" at column at; false when it is not a date-time.
bool ReadStamp(std::wstring_view line, std::size_t at, Seconds& out) noexcept {
    const int day = Digits(line, at, 2), month = Digits(line, at + 3, 2);
    const int year = Digits(line, at + 6, 2), hour = Digits(line, at + 9, 2);
    const int minute = Digits(line, at + 12, 2), second = Digits(line, at + 15, 2);
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 0 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    out = LocalSeconds(year < 80 ? 2000 + year : 1900 + year, month, day, hour, minute, second);
    return true;
}

} // namespace

Seconds DaysFromCivil(int year, int month, int day) noexcept {
    // Days of the proleptic Gregorian calendar counted in 400-year eras from 01.03.0000.
    const Seconds y = year - (month <= 2 ? 1 : 0);
    const Seconds era = (y >= 0 ? y : y - 399) / 400;
    const Seconds yoe = y - era * 400;
    const Seconds doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const Seconds doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Seconds LocalSeconds(int year, int month, int day, int hour, int minute, int second) noexcept {
    return DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

LineTimes ReadLineTimes(std::wstring_view line) noexcept {
    LineTimes times;
    const int channel = Digits(line, 0, 1);
    if (channel < 1 || !ReadStamp(line, kStartColumn, times.start) ||
        !ReadStamp(line, kEndColumn, times.end))
        return {};
    for (std::size_t i = kSizeColumn; i < line.size() && i < kSizeEnd; ++i) {
        if (line[i] < L'0' || line[i] > L'9')
            break;
        times.size = times.size * 10 + static_cast<unsigned>(line[i] - L'0');
    }
    times.channel = channel;
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
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineTimes times = ReadLineTimes(lines[i]);
        if (times.channel == 0)
            continue;
        read[kept++] = {times.start, std::max(times.start, times.end), times.size,
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
        std::sort(first, last, [](const Recording& a, const Recording& b) {
            return a.start != b.start ? a.start < b.start : a.line < b.line;
        });
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
