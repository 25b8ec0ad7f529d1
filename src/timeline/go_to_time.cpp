#include "timeline/go_to_time.h"

#include "catalogue/date_time.h"
#include "timeline/ticks.h"

#include <vector>

namespace voice::timeline {
namespace {

// The runs of digits of text, with the separator that follows each.
struct Number {
    int value;
    int digits;
    wchar_t after;
};

std::optional<std::vector<Number>> Numbers(std::wstring_view text) {
    std::vector<Number> numbers;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
            ++i;
        if (i == text.size())
            break;
        if (text[i] < L'0' || text[i] > L'9')
            return std::nullopt;
        Number n{0, 0, L' '};
        for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
            if (++n.digits > 4)
                return std::nullopt;
            n.value = n.value * 10 + (text[i] - L'0');
        }
        if (i < text.size()) {
            n.after = text[i];
            if (n.after != L'.' && n.after != L':' && n.after != L' ' && n.after != L'\t')
                return std::nullopt;
            ++i;
        }
        numbers.push_back(n);
    }
    return numbers;
}

} // namespace

std::optional<Seconds> ParseGoToTime(std::wstring_view text, Seconds reference) {
    const auto numbers = Numbers(text);
    if (!numbers || numbers->empty())
        return std::nullopt;
    const std::vector<Number>& n = *numbers;
    std::size_t at = 0;
    Seconds day = MidnightOf(reference);
    // A date is three numbers joined by dots.
    if (n.size() >= 3 && n[0].after == L'.' && n[1].after == L'.') {
        int year = n[2].value;
        if (n[2].digits <= 2)
            year += year < 80 ? 2000 : 1900;
        else if (n[2].digits != 4 || year < 1900 || year > 2099)
            return std::nullopt; // no recorder's year, and not read back as typed
        if (!IsValidDate(year, n[1].value, n[0].value))
            return std::nullopt;
        day = DaysFromCivil(year, n[1].value, n[0].value) * kSecondsPerDay;
        at = 3;
    }
    const std::size_t parts = n.size() - at;
    if (parts == 0)
        return at ? std::optional<Seconds>(day) : std::nullopt;
    if (parts < 2 || parts > 3 || n[at].after != L':')
        return std::nullopt;
    const int hour = n[at].value, minute = n[at + 1].value;
    const int second = parts == 3 ? n[at + 2].value : 0;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return day + hour * 3600 + minute * 60 + second;
}

std::wstring GoToTimeText(Seconds t) {
    return FormatDateTime(t);
}

} // namespace voice::timeline
