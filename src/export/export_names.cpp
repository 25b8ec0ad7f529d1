#include "export/export_names.h"

namespace voice::exporting {
namespace {

std::wstring Pad2(int value) {
    return {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

std::wstring DateAndTime(int year, int month, int day, int hour, int minute, int second) {
    return std::to_wstring(year) + L'-' + Pad2(month) + L'-' + Pad2(day) + L'_' + Pad2(hour) +
           L'-' + Pad2(minute) + L'-' + Pad2(second);
}

} // namespace

std::wstring RecordingFileStem(int channel, const DateTimeParts& start) {
    return L'K' + std::to_wstring(channel) + L'_' +
           DateAndTime(start.year, start.month, start.day, start.hour, start.minute, start.second);
}

std::wstring IndexFileStem(const LocalMoment& m) {
    return L"export_" + DateAndTime(m.year, m.month, m.day, m.hour, m.minute, m.second);
}

std::wstring FirstFreeName(const std::wstring& stem, const std::wstring& extension,
                           const std::function<bool(const std::wstring&)>& taken) {
    std::wstring name = stem + extension;
    for (int n = 2; taken(name); ++n)
        name = stem + L'_' + std::to_wstring(n) + extension;
    return name;
}

} // namespace voice::exporting
