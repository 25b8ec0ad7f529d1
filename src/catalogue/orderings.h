#pragma once
// The four orderings of the recordings list and the sort key they read from a
// ListLine's columns (counted from 1). Portable, allocation-free.

#include "catalogue/sort_str.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace voice {

inline constexpr int kStartColumn = 4;
inline constexpr int kEndColumn = 23;

// Year, month and day digits and the time of a date-time field that begins at column c
// ("dd.mm.yy hh:nn:ss"): columns c+6..c+7, c+3..c+4, c..c+1, c+9..c+16. Characters
// beyond the line's end are missing from the key, which is then shorter.
class SortKey {
public:
    static constexpr int kCapacity = 14;
    std::wstring_view View() const noexcept { return {chars_, static_cast<std::size_t>(length_)}; }
    void Push(wchar_t c) noexcept {
        if (length_ < kCapacity)
            chars_[length_++] = c;
    }

private:
    wchar_t chars_[kCapacity];
    int length_ = 0;
};

SortKey MakeSortKey(std::wstring_view line, int column) noexcept;

// Byte-wise comparison after folding a..z to upper case; a text that begins the other
// is the smaller. Only the sign of the result means anything.
int CompareFoldedText(std::wstring_view a, std::wstring_view b) noexcept;

// The number in columns 41..55, blanks and control characters stripped from both ends.
// Text that is not a whole decimal number reads as 0.
std::int64_t SizeColumnValue(std::wstring_view line) noexcept;

int CompareByStart(const TSortStr& list, int i, int j);   // ascending start
int CompareByEnd(const TSortStr& list, int i, int j);     // ascending end, then start
int CompareByChannel(const TSortStr& list, int i, int j); // ascending channel, then start
int CompareBySize(const TSortStr& list, int i, int j);    // descending size

// RGSort's item index to its comparator; nullptr outside 0..3.
LineCompare OrderingComparator(int itemIndex) noexcept;

// Where CustomSort with OrderingComparator(itemIndex) would put the lines of list, deriving
// each line's key once instead of at every comparison: the line at k is then list[order[k]];
// nullptr for fewer than two lines. cache holds the keys of the lines as the previous call left
// them (or nothing); lines appended since are the only ones whose keys are derived, if
// TSortStr::Add has not yet. The order is the cache's, good until the next call.
// itemIndex must be 0..3.
std::vector<std::uint32_t>* SortOrderByOrdering(const TSortStr& list, int itemIndex,
                                                std::unique_ptr<SortKeyCache>& cache);

} // namespace voice
