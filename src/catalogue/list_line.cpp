#include "catalogue/list_line.h"

#include "catalogue/recording_name.h"
#include "platform/app_error.h"

namespace voice {
namespace {

constexpr std::size_t kStartColumn = 3; // zero-based
constexpr std::size_t kEndColumn = 22;
constexpr std::size_t kSizeColumn = 41;

constexpr std::uint64_t kPowersOfTen[20] = {1,
                                            10,
                                            100,
                                            1'000,
                                            10'000,
                                            100'000,
                                            1'000'000,
                                            10'000'000,
                                            100'000'000,
                                            1'000'000'000,
                                            10'000'000'000,
                                            100'000'000'000,
                                            1'000'000'000'000,
                                            10'000'000'000'000,
                                            100'000'000'000'000,
                                            1'000'000'000'000'000,
                                            10'000'000'000'000'000,
                                            100'000'000'000'000'000,
                                            1'000'000'000'000'000'000,
                                            10'000'000'000'000'000'000u};

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

// "dd.mm.yy hh:nn:ss" at column at.
DateTimeParts ReadListDateTime(std::wstring_view line, std::size_t at) noexcept {
    return {Digits(line, at + 6, 2), Digits(line, at + 3, 2),  Digits(line, at, 2),
            Digits(line, at + 9, 2), Digits(line, at + 12, 2), Digits(line, at + 15, 2)};
}

// The shown year's century; -1 stays -1.
int CenturyOf(int shown, int named) noexcept {
    if (shown < 0)
        return shown;
    if (named >= 0 && named % 100 == shown)
        return named;
    return (shown < 80 ? 2000 : 1900) + shown;
}

// The year the recording's name gives; -1 without a path or for a date that does not exist.
int NamedYear(std::wstring_view path) noexcept {
    if (path.empty())
        return -1;
    try {
        return DecodeRecordingParts(path).year;
    } catch (const DateEncodeError&) {
        return -1;
    }
}

} // namespace

std::wstring PadTo80(std::wstring text) {
    if (text.size() < kListLineDisplayWidth)
        text.append(kListLineDisplayWidth - text.size(), L' ');
    return text;
}

std::wstring BuildListLine(int channel, const DateTimeParts& start, const DateTimeParts& end,
                           std::uint64_t size, std::wstring_view fullPath, wchar_t sep) {
    std::wstring line;
    BuildListLine(line, channel, start, end, size, fullPath, {}, sep);
    return line;
}

void BuildListLine(std::wstring& line, int channel, const DateTimeParts& start,
                   const DateTimeParts& end, std::uint64_t size, std::wstring_view pathHead,
                   std::wstring_view pathTail, wchar_t sep) {
    // Written in place over blanks: the search makes one of these per recording, and one
    // allocation at most is all it needs. The path is appended, not blanked first.
    line.reserve(kListLineDisplayWidth + pathHead.size() + pathTail.size());
    line.assign(kListLineDisplayWidth, L' ');
    wchar_t* out = line.data();
    out[0] = static_cast<wchar_t>(L'0' + channel % 10);
    WriteListDateTime(start, sep, out + kStartColumn);
    WriteListDateTime(end, sep, out + kEndColumn);
    // At most 20 digits: they end by column 61, so the path always starts at column 81.
    // Written straight into the line from the last, two at a time: read back from a buffer
    // of their own, they waited for every store into the line before them to reach memory.
    std::size_t count = 1;
    while (count < 20 && size >= kPowersOfTen[count])
        ++count;
    wchar_t* at = out + kSizeColumn + count;
    for (; size >= 100; size /= 100) {
        const auto pair = static_cast<unsigned>(size % 100);
        *--at = static_cast<wchar_t>(L'0' + pair % 10);
        *--at = static_cast<wchar_t>(L'0' + pair / 10);
    }
    if (size >= 10) {
        *--at = static_cast<wchar_t>(L'0' + size % 10);
        size /= 10;
    }
    *--at = static_cast<wchar_t>(L'0' + size);
    line.append(pathHead).append(pathTail);
}

std::wstring_view ListLinePath(std::wstring_view line) noexcept {
    if (line.size() <= kListLineDisplayWidth)
        return {};
    std::wstring_view path = line.substr(kListLineDisplayWidth);
    while (!path.empty() && static_cast<unsigned long>(path.front()) <= 32)
        path.remove_prefix(1);
    return path;
}

ParsedListLine ParseListLine(std::wstring_view line) noexcept {
    ParsedListLine parsed;
    parsed.channel = Digits(line, 0, 1);
    parsed.start = ReadListDateTime(line, kStartColumn);
    parsed.end = ReadListDateTime(line, kEndColumn);
    for (std::size_t i = kSizeColumn; i < line.size() && i < kListLineDisplayWidth; ++i) {
        if (line[i] < L'0' || line[i] > L'9')
            break;
        parsed.size = parsed.size * 10 + static_cast<unsigned>(line[i] - L'0');
    }
    parsed.path = ListLinePath(line);
    parsed.start.year = CenturyOf(parsed.start.year, NamedYear(parsed.path));
    parsed.end.year = CenturyOf(parsed.end.year, -1);
    return parsed;
}

} // namespace voice
