#include "export/line_columns.h"

#include "catalogue/list_line.h"
#include "catalogue/recording_name.h"
#include "conversion/playback_paths.h"

namespace voice::exporting {
namespace {

constexpr std::size_t kStartColumn = 3; // zero-based
constexpr std::size_t kEndColumn = 22;
constexpr std::size_t kSizeColumn = 41;

int Digits(std::wstring_view line, std::size_t at, std::size_t count) noexcept {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= line.size() || line[i] < L'0' || line[i] > L'9')
            return 0;
        value = value * 10 + (line[i] - L'0');
    }
    return value;
}

// "dd.mm.yy hh:nn:ss" at column at; the year's century is settled by the caller.
DateTimeParts ReadListDateTime(std::wstring_view line, std::size_t at) noexcept {
    DateTimeParts parts;
    parts.day = Digits(line, at, 2);
    parts.month = Digits(line, at + 3, 2);
    parts.year = Digits(line, at + 6, 2);
    parts.hour = Digits(line, at + 9, 2);
    parts.minute = Digits(line, at + 12, 2);
    parts.second = Digits(line, at + 15, 2);
    return parts;
}

std::wstring Pad2(int value) {
    return {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

} // namespace

LineColumns ReadLineColumns(std::wstring_view line) {
    LineColumns columns;
    columns.channel = Digits(line, 0, 1);
    columns.start = ReadListDateTime(line, kStartColumn);
    columns.end = ReadListDateTime(line, kEndColumn);
    for (std::size_t i = kSizeColumn; i < line.size() && i < kListLineDisplayWidth; ++i) {
        if (line[i] < L'0' || line[i] > L'9')
            break;
        columns.size = columns.size * 10 + static_cast<unsigned>(line[i] - L'0');
    }
    std::wstring_view display = line.substr(0, std::min(line.size(), kListLineDisplayWidth));
    while (!display.empty() && display.back() == L' ')
        display.remove_suffix(1);
    columns.display = display;
    columns.source = RecordingPathOfListLine(line);

    const int namedYear = DecodeRecordingParts(columns.source).year;
    columns.start.year = namedYear % 100 == columns.start.year
                             ? namedYear
                             : (columns.start.year < 80 ? 2000 : 1900) + columns.start.year;
    columns.end.year += columns.end.year < 80 ? 2000 : 1900;
    return columns;
}

std::wstring FormatIsoDateTime(const DateTimeParts& parts) {
    return std::to_wstring(parts.year) + L'-' + Pad2(parts.month) + L'-' + Pad2(parts.day) + L' ' +
           Pad2(parts.hour) + L':' + Pad2(parts.minute) + L':' + Pad2(parts.second);
}

} // namespace voice::exporting
