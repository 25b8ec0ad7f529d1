#include "catalogue/recording_name.h"

#include "platform/app_error.h"

namespace voice {
namespace {

constexpr DateTimeParts kFallback{1900, 1, 1, 0, 0, 0};

std::wstring_view FinalComponent(std::wstring_view path) noexcept {
    std::size_t start = path.size();
    while (start > 0 && path[start - 1] != L'\\' && path[start - 1] != L':')
        --start;
    return path.substr(start);
}

wchar_t UpperAscii(wchar_t c) noexcept {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

int ValueAt(std::wstring_view name, std::size_t i) noexcept {
    return NameCharValue(UpperAscii(name[i]));
}

int InRangeOr(int value, int low, int high, int otherwise) noexcept {
    return value >= low && value <= high ? value : otherwise;
}

// Year, month and day from the first three characters; throws for impossible dates.
// The fields are read back one by one: copied whole from where they were just stored
// one by one, they waited for each store.
CalendarDate DecodeDate(std::wstring_view name) {
    const int year = ValueAt(name, 0);
    const CalendarDate date{year < 0 ? 1999 : 2000 + year, InRangeOr(ValueAt(name, 1), 1, 12, 1),
                            InRangeOr(ValueAt(name, 2), 1, 31, 1)};
    if (!IsValidDate(date.year, date.month, date.day))
        throw DateEncodeError();
    return date;
}

// ReadNamePairNumber, with the two digits nearly every name has taken here.
int PairNumber(wchar_t first, wchar_t second) noexcept {
    if (first >= L'0' && first <= L'9' && second >= L'0' && second <= L'9')
        return (first - L'0') * 10 + (second - L'0');
    return ReadNamePairNumber(first, second);
}

int HexDigit(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c = UpperAscii(c);
    return c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
}

} // namespace

int NameCharValue(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'Z') {
        if (c == L'J')
            return 18;
        if (c == L'I')
            return 19;
        return c - L'A' + 10;
    }
    if (c == L'_')
        return 36;
    if (c == L'$')
        return 37;
    return -1;
}

int ReadNamePairNumber(wchar_t first, wchar_t second) noexcept {
    // Two decimal digits, as nearly every name has them.
    if (first >= L'0' && first <= L'9' && second >= L'0' && second <= L'9')
        return (first - L'0') * 10 + (second - L'0');
    const wchar_t text[2] = {UpperAscii(first), UpperAscii(second)};
    std::size_t i = 0;
    while (i < 2 && text[i] == L' ')
        ++i;
    bool negative = false;
    bool hex = false;
    if (i < 2 && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    } else if (i < 2 && (text[i] == L'$' || text[i] == L'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < 2 && text[i] == L'0' && text[i + 1] == L'X') {
        hex = true;
        i += 2;
    }
    int value = 0;
    for (; i < 2; ++i) {
        int digit =
            hex ? HexDigit(text[i]) : (text[i] >= L'0' && text[i] <= L'9' ? text[i] - L'0' : -1);
        if (digit < 0)
            break;
        value = value * (hex ? 16 : 10) + digit;
    }
    return negative ? -value : value;
}

DateTimeParts DecodeDayDirParts(std::wstring_view path) {
    std::wstring_view name = FinalComponent(path);
    if (name.size() < 3)
        return kFallback;
    const CalendarDate date = DecodeDate(name);
    return {date.year, date.month, date.day, 0, 0, 0};
}

DateTimeParts DecodeRecordingParts(std::wstring_view path) {
    std::wstring_view name = FinalComponent(path);
    if (name.find(L'.') != 8)
        return kFallback;
    const CalendarDate date = DecodeDate(name);
    return {date.year,
            date.month,
            date.day,
            InRangeOr(ValueAt(name, 3), 1, 23, 0),
            InRangeOr(PairNumber(name[4], name[5]), 1, 59, 0),
            InRangeOr(PairNumber(name[6], name[7]), 1, 59, 0)};
}

DateTime DecodeDayDirName(std::wstring_view path) {
    return EncodeDateTime(DecodeDayDirParts(path));
}

DateTime DecodeRecordingName(std::wstring_view name) {
    return EncodeDateTime(DecodeRecordingParts(name));
}

} // namespace voice
