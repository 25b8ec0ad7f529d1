#include "catalogue/orderings.h"

#include "catalogue/partition_sort.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace voice {
namespace {

constexpr int kChannelColumn = 1;
constexpr int kSizeColumn = 41;
constexpr int kSizeWidth = 15;

wchar_t Fold(wchar_t c) noexcept {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

bool ValidIndices(const TSortStr& list, int i, int j) noexcept {
    return i >= 0 && j >= 0 && i < list.Count() && j < list.Count();
}

// Up to Capacity characters of text, folded, built without allocating.
template <int Capacity> class FoldedText {
public:
    void Append(std::wstring_view text) noexcept {
        for (wchar_t c : text)
            if (length_ < Capacity)
                chars_[length_++] = Fold(c);
    }
    std::wstring_view View() const noexcept { return {chars_, static_cast<std::size_t>(length_)}; }

private:
    wchar_t chars_[Capacity];
    int length_ = 0;
};

std::wstring_view Column(std::wstring_view line, int column, int count) noexcept {
    const std::size_t from = static_cast<std::size_t>(column - 1);
    return from < line.size() ? line.substr(from, static_cast<std::size_t>(count))
                              : std::wstring_view{};
}

using StartText = FoldedText<SortKey::kCapacity>;
using EndText = FoldedText<2 * SortKey::kCapacity>;
using ChannelText = FoldedText<1 + SortKey::kCapacity>;

StartText StartKeyOf(std::wstring_view line) noexcept {
    StartText t;
    t.Append(MakeSortKey(line, kStartColumn).View());
    return t;
}

EndText EndKeyOf(std::wstring_view line) noexcept {
    EndText t;
    t.Append(MakeSortKey(line, kEndColumn).View());
    t.Append(MakeSortKey(line, kStartColumn).View());
    return t;
}

ChannelText ChannelKeyOf(std::wstring_view line) noexcept {
    ChannelText t;
    t.Append(Column(line, kChannelColumn, 1));
    t.Append(MakeSortKey(line, kStartColumn).View());
    return t;
}

int CompareSizes(std::int64_t a, std::int64_t b) noexcept {
    return b > a ? 1 : (b < a ? -1 : 0);
}

template <typename Key> struct KeyedLine {
    Key key;
    int index;
};

// Runs the list's partition sort over precomputed keys, then moves the lines into the
// resulting order. The keys are pure functions of the lines, so this is the order the
// per-comparison comparators give.
template <typename Key, typename MakeKey, typename CompareKeys>
void SortByKeys(std::vector<std::wstring>& lines, MakeKey makeKey, CompareKeys compareKeys) {
    const int count = static_cast<int>(lines.size());
    if (count < 2)
        return;
    std::vector<KeyedLine<Key>> keyed;
    keyed.reserve(lines.size());
    for (int k = 0; k < count; ++k)
        keyed.push_back({makeKey(lines[static_cast<std::size_t>(k)]), k});
    KeyedLine<Key>* data = keyed.data();
    auto compare = [&](int i, int j) { return compareKeys(data[i].key, data[j].key); };
    auto exchange = [&](int i, int j) { std::swap(data[i], data[j]); };
    PartitionSort(0, count - 1, compare, exchange);
    std::vector<std::wstring> sorted;
    sorted.reserve(lines.size());
    for (const auto& entry : keyed)
        sorted.push_back(std::move(lines[static_cast<std::size_t>(entry.index)]));
    lines.swap(sorted);
}

template <typename Text> int CompareTexts(const Text& a, const Text& b) noexcept {
    return a.View().compare(b.View());
}

} // namespace

void SortKey::Append(std::wstring_view line, int column, int count) noexcept {
    for (wchar_t c : Column(line, column, count))
        if (length_ < kCapacity)
            chars_[length_++] = c;
}

SortKey MakeSortKey(std::wstring_view line, int column) noexcept {
    SortKey key;
    key.Append(line, column + 6, 2);
    key.Append(line, column + 3, 2);
    key.Append(line, column, 2);
    key.Append(line, column + 9, 8);
    return key;
}

int CompareFoldedText(std::wstring_view a, std::wstring_view b) noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        const wchar_t x = Fold(a[k]);
        const wchar_t y = Fold(b[k]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::int64_t SizeColumnValue(std::wstring_view line) noexcept {
    std::wstring_view text = Column(line, kSizeColumn, kSizeWidth);
    while (!text.empty() && static_cast<unsigned>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned>(text.back()) <= 32)
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return 0;
    std::int64_t value = 0; // at most 15 digits: no overflow
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return 0;
        value = value * 10 + (c - L'0');
    }
    return negative ? -value : value;
}

int CompareByStart(const TSortStr& list, int i, int j) {
    if (!ValidIndices(list, i, j))
        return 0;
    return CompareFoldedText(MakeSortKey(list[i], kStartColumn).View(),
                             MakeSortKey(list[j], kStartColumn).View());
}

int CompareByEnd(const TSortStr& list, int i, int j) {
    if (!ValidIndices(list, i, j))
        return 0;
    return CompareTexts(EndKeyOf(list[i]), EndKeyOf(list[j]));
}

int CompareByChannel(const TSortStr& list, int i, int j) {
    if (!ValidIndices(list, i, j))
        return 0;
    return CompareTexts(ChannelKeyOf(list[i]), ChannelKeyOf(list[j]));
}

int CompareBySize(const TSortStr& list, int i, int j) {
    if (!ValidIndices(list, i, j))
        return 0;
    return CompareSizes(SizeColumnValue(list[i]), SizeColumnValue(list[j]));
}

TStringListSortCompare OrderingComparator(int itemIndex) noexcept {
    switch (itemIndex) {
    case 0:
        return CompareByStart;
    case 1:
        return CompareByEnd;
    case 2:
        return CompareByChannel;
    case 3:
        return CompareBySize;
    default:
        return nullptr;
    }
}

void SortLinesByOrdering(std::vector<std::wstring>& lines, int itemIndex) {
    switch (itemIndex) {
    case 0:
        SortByKeys<StartText>(lines, StartKeyOf, CompareTexts<StartText>);
        break;
    case 1:
        SortByKeys<EndText>(lines, EndKeyOf, CompareTexts<EndText>);
        break;
    case 2:
        SortByKeys<ChannelText>(lines, ChannelKeyOf, CompareTexts<ChannelText>);
        break;
    case 3:
        SortByKeys<std::int64_t>(
            lines, [](const std::wstring& line) { return SizeColumnValue(line); }, CompareSizes);
        break;
    default:
        break;
    }
}

} // namespace voice
