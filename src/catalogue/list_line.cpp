#include "catalogue/list_line.h"

namespace voice {

std::wstring PadTo80(std::wstring text) {
    if (text.size() < kListLineDisplayWidth)
        text.append(kListLineDisplayWidth - text.size(), L' ');
    return text;
}

std::wstring BuildListLine(int channel, const DateTimeParts& start, const DateTimeParts& end,
                           std::uint64_t size, std::wstring_view fullPath, wchar_t sep) {
    wchar_t display[kListLineDisplayWidth];
    std::size_t n = 0;
    display[n++] = static_cast<wchar_t>(L'0' + channel % 10);
    display[n++] = L' ';
    display[n++] = L' ';
    WriteListDateTime(start, sep, display + n);
    n += 17;
    display[n++] = L' ';
    display[n++] = L' ';
    WriteListDateTime(end, sep, display + n);
    n += 17;
    display[n++] = L' ';
    display[n++] = L' ';
    wchar_t digits[20];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + size % 10);
        size /= 10;
    } while (size != 0);
    while (count != 0)
        display[n++] = digits[--count];
    // n is at most 1 + 2 + 17 + 2 + 17 + 2 + 20 = 61: the path always starts at column 81.
    std::wstring line;
    line.reserve(kListLineDisplayWidth + fullPath.size());
    line.append(display, n);
    line.append(kListLineDisplayWidth - n, L' ');
    line.append(fullPath);
    return line;
}

std::wstring_view ListLinePath(std::wstring_view line) noexcept {
    return line.size() < kListLineDisplayWidth ? std::wstring_view{}
                                               : line.substr(kListLineDisplayWidth);
}

} // namespace voice
