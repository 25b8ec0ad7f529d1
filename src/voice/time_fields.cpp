#include "voice/time_fields.h"

#include <cstdint>
#include <optional>

namespace voice {
namespace {

struct TimeGroup {
    int column; // first of its two columns, from 1
    int limit;
    int firstCaret; // caret positions firstCaret..firstCaret + 2 select the group
};

constexpr TimeGroup kHours{1, 23, 0};
constexpr TimeGroup kMinutes{4, 59, 3};
constexpr TimeGroup kSeconds{7, 59, 6};

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

// Leading blanks are skipped; what remains must be digits only, and at least one.
std::optional<int> ParseGroup(wchar_t first, wchar_t second) {
    const wchar_t chars[] = {first, second};
    int i = 0;
    while (i < 2 && chars[i] == L' ')
        ++i;
    if (i == 2)
        return std::nullopt;
    int value = 0;
    for (; i < 2; ++i) {
        if (!IsDigit(chars[i]))
            return std::nullopt;
        value = value * 10 + (chars[i] - L'0');
    }
    return value;
}

} // namespace

void IncTimeGroup(std::wstring& text, int column, int limit, gui::UpDownButton direction,
                  int step) {
    const size_t first = static_cast<size_t>(column - 1);
    if (text.size() < first + 2)
        text.resize(first + 2, L' ');

    const std::optional<int> read = ParseGroup(text[first], text[first + 1]);
    auto value = static_cast<std::uint8_t>(read && *read <= limit ? *read : 0);

    if (direction == gui::UpDownButton::Up)
        value = static_cast<std::uint8_t>(value + step);
    else if (value > 0)
        value = static_cast<std::uint8_t>(value - step);
    if (value > limit)
        value = 0;

    text[first] = static_cast<wchar_t>(L'0' + value / 10);
    text[first + 1] = static_cast<wchar_t>(L'0' + value % 10);
}

std::wstring SteppedTimeText(std::wstring text, int caret, gui::UpDownButton direction, int step) {
    for (const TimeGroup& group : {kHours, kMinutes, kSeconds}) {
        if (caret >= group.firstCaret && caret <= group.firstCaret + 2)
            IncTimeGroup(text, group.column, group.limit, direction, step);
    }
    return text;
}

} // namespace voice
