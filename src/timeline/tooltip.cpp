#include "timeline/tooltip.h"

#include "timeline/ticks.h"

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

} // namespace voice::timeline
