#include "timeline/tooltip.h"

#include "timeline/ticks.h"

#include <cmath>

namespace voice::timeline {

std::wstring RecordingTooltip(const Timeline& timeline, std::int32_t item, std::wstring_view path) {
    if (item < 0 || static_cast<std::size_t>(item) >= timeline.recordings.size())
        return {};
    const Recording& r = timeline.recordings[item];
    return L"Канал " + std::to_wstring(timeline.lanes[r.lane].channel) + L"\nНачало: " +
           FormatDateTime(r.start) + L"\nКонец: " + FormatDateTime(r.end) + L"\nДлительность: " +
           FormatDuration(r.end - r.start) + L"\nРазмер: " + std::to_wstring(r.size) +
           L" байт\nФайл: " + std::wstring(path);
}

std::wstring MergedColumnTooltip(int channel, std::uint32_t count, double from, double to) {
    const auto a = static_cast<Seconds>(std::floor(from));
    const auto b = static_cast<Seconds>(std::ceil(to));
    // Russian plural: 1 запись, 2-4 записи, 5-20 записей, 21 запись...
    const std::uint32_t tens = count % 100, ones = count % 10;
    const wchar_t* noun = tens >= 11 && tens <= 14 ? L"записей"
                          : ones == 1              ? L"запись"
                          : ones >= 2 && ones <= 4 ? L"записи"
                                                   : L"записей";
    return L"Канал " + std::to_wstring(channel) + L"\n" + std::to_wstring(count) + L' ' + noun +
           L"\n" + FormatDateTime(a) + L" – " +
           (DayOf(a) == DayOf(b) ? FormatTime(b, true) : FormatDateTime(b));
}

} // namespace voice::timeline
