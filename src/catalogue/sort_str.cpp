#include "catalogue/sort_str.h"

#include "catalogue/orderings.h"
#include "catalogue/partition_sort.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

namespace voice {

void TSortStr::Exchange(int i, int j) {
    if (i < 0 || j < 0 || i >= Count() || j >= Count())
        throw std::out_of_range("TSortStr::Exchange: list index out of bounds");
    PlaceLines();
    std::swap(lines_[static_cast<std::size_t>(i)], lines_[static_cast<std::size_t>(j)]);
    keyCache_.reset();
}

namespace {

// The buffers of lines in sorted order lie anywhere in the heap, and writing into them in
// that order missed the page tables at nearly every line (a tenth of the walk under
// Wine). Reordered by address, a few pages at a time, they are written front to back.
// Into ordered (whose memory is kept from the search before), the last one with the
// lowest address: lines are taken from the back.
void ByDescendingAddress(std::vector<std::wstring>& lines, std::vector<std::wstring>& ordered) {
    ordered.clear();
    if (lines.size() < 2) {
        ordered.swap(lines);
        return;
    }
    std::uintptr_t low = UINTPTR_MAX;
    std::uintptr_t high = 0;
    for (const std::wstring& line : lines) {
        const auto at = reinterpret_cast<std::uintptr_t>(line.data());
        low = std::min(low, at);
        high = std::max(high, at);
    }
    // At most 2^16 groups: a page each while the heap spans at most 256 MB.
    int shift = 12;
    while (((high - low) >> shift) >= (1u << 16))
        ++shift;
    const std::size_t groups = ((high - low) >> shift) + 1;
    std::vector<std::uint32_t> next(groups + 1, 0);
    auto groupOf = [&](const std::wstring& line) {
        return groups - 1 - ((reinterpret_cast<std::uintptr_t>(line.data()) - low) >> shift);
    };
    for (const std::wstring& line : lines)
        ++next[groupOf(line) + 1];
    for (std::size_t g = 1; g <= groups; ++g)
        next[g] += next[g - 1];
    ordered.resize(lines.size());
    for (std::wstring& line : lines)
        ordered[next[groupOf(line)]++] = std::move(line);
}

} // namespace

void TSortStr::PrefetchSpareLine() const noexcept {
    constexpr std::size_t kAhead = 4;
    constexpr std::size_t kCacheLine = 64;
    if (spare_.size() <= kAhead)
        return;
    const std::wstring& later = spare_[spare_.size() - 1 - kAhead];
    const char* bytes = reinterpret_cast<const char*>(later.data());
    const std::size_t size = (later.capacity() + 1) * sizeof(wchar_t);
    for (std::size_t at = 0; at < size; at += kCacheLine)
        __builtin_prefetch(bytes + at, 1);
}

void TSortStr::PlaceLines() const {
    std::size_t unmoved = 0;
    while (unmoved < order_.size() && order_[unmoved] == unmoved)
        ++unmoved;
    if (unmoved == order_.size()) {
        order_.clear();
        return;
    }
    // Gathered in order, so the line to move next is known ahead and fetched while others
    // move; placed_'s emptied strings are kept for the next time.
    constexpr std::size_t kAhead = 8;
    const std::size_t count = order_.size();
    placed_.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        if (k + kAhead < count)
            __builtin_prefetch(&lines_[order_[k + kAhead]]);
        placed_[k] = std::move(lines_[order_[k]]);
    }
    lines_.swap(placed_);
    order_.clear();
}

void TSortStr::ClearForRefill() noexcept {
    try {
        ByDescendingAddress(lines_, spare_);
    } catch (const std::bad_alloc&) {
        spare_.swap(lines_); // in any order, then
    }
    order_.clear();
    lines_.clear();
    if (keyCache_)
        keyCache_->Forget();
}

void TSortStr::SetSorted(bool sorted) {
    if (sorted == sorted_)
        return;
    if (sorted)
        Sort();
    sorted_ = sorted;
}

void TSortStr::Sort() {
    if (!ordering_)
        return;
    const int itemIndex = ordering_();
    if (OrderingComparator(itemIndex) == nullptr || sorted_ || Count() < 2)
        return;
    // Same result as CustomSort(OrderingComparator(itemIndex)), keys derived once.
    std::vector<std::uint32_t>* order = SortOrderByOrdering(*this, itemIndex, keyCache_);
    if (order == nullptr)
        return;
    if (!order_.empty())
        for (std::uint32_t& at : *order)
            at = order_[at];
    order_.swap(*order);
}

void TSortStr::CustomSort(LineCompare compare) {
    if (sorted_ || Count() < 2)
        return;
    PlaceLines();
    auto byList = [&](int i, int j) { return compare(*this, i, j); };
    auto exchange = [&](int i, int j) { Exchange(i, j); };
    PartitionSort(0, Count() - 1, byList, exchange);
    keyCache_.reset();
}

} // namespace voice
