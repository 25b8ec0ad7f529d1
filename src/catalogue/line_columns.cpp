#include "catalogue/line_columns.h"

#include <algorithm>

#include "catalogue/list_line.h"
#include "catalogue/local_time.h"

namespace voice {
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
    const ParsedListLine parsed = ParseListLine(line);
    LineColumns columns;
    columns.channel = std::max(parsed.channel, 0);
    columns.start = OrZero(parsed.start);
    columns.end = OrZero(parsed.end);
    columns.size = parsed.size;
    std::wstring_view display = line.substr(0, std::min(line.size(), kListLineDisplayWidth));
    while (!display.empty() && display.back() == L' ')
        display.remove_suffix(1);
    columns.display = display;
    columns.source = parsed.path;
    const std::int64_t offsetNow = UtcOffsetNow();
    columns.written = UtcOfListed(SecondsOf(columns.end), offsetNow);
    if (IsValidDateTime(columns.end))
        columns.end = PartsOf(LocalSecondsAt(columns.written));
    const std::int64_t start = SecondsOf(columns.start);
    columns.startInstant =
        IsValidDateTime(columns.start) ? InstantOfLocal(start, columns.written) : start - offsetNow;
    return columns;
}

std::wstring FormatIsoDateTime(const DateTimeParts& parts) {
    return std::to_wstring(parts.year) + L'-' + Pad2(parts.month) + L'-' + Pad2(parts.day) + L' ' +
           Pad2(parts.hour) + L':' + Pad2(parts.minute) + L':' + Pad2(parts.second);
}

} // namespace voice
