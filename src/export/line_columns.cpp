#include "export/line_columns.h"

#include <algorithm>

#include "catalogue/list_line.h"
#include "catalogue/recording_name.h"
#include "conversion/playback_paths.h"
#include "export/local_time.h"

namespace voice::exporting {
namespace {

// The export reads a field that is not digits as 0.
DateTimeParts OrZero(DateTimeParts p) noexcept {
    for (int* field : {&p.year, &p.month, &p.day, &p.hour, &p.minute, &p.second})
        *field = std::max(*field, 0);
    return p;
}

std::wstring Pad2(int value) {
    return {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

} // namespace

LineColumns ReadLineColumns(std::wstring_view line) {
    const ListLineFields fields = ReadListLineFields(line);
    LineColumns columns;
    columns.channel = std::max(fields.channel, 0);
    columns.start = OrZero(fields.start);
    columns.end = OrZero(fields.end);
    columns.size = fields.size;
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
    const DateTimeParts& e = columns.end;
    if (IsValidDate(e.year, e.month, e.day) && e.hour < 24 && e.minute < 60 && e.second < 60)
        columns.end = EndAsItWas(columns.end);
    return columns;
}

std::wstring FormatIsoDateTime(const DateTimeParts& parts) {
    return std::to_wstring(parts.year) + L'-' + Pad2(parts.month) + L'-' + Pad2(parts.day) + L' ' +
           Pad2(parts.hour) + L':' + Pad2(parts.minute) + L':' + Pad2(parts.second);
}

} // namespace voice::exporting
