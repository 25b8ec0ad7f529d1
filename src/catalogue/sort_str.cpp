#include "catalogue/sort_str.h"

#include "catalogue/orderings.h"
#include "catalogue/partition_sort.h"

#include <stdexcept>
#include <utility>

namespace voice {

void TSortStr::Exchange(int i, int j) {
    if (i < 0 || j < 0 || i >= Count() || j >= Count())
        throw std::out_of_range("TSortStr::Exchange: list index out of bounds");
    std::swap(lines_[static_cast<std::size_t>(i)], lines_[static_cast<std::size_t>(j)]);
    keyCache_.reset();
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
    SortLinesByOrdering(lines_, itemIndex, keyCache_);
}

void TSortStr::CustomSort(LineCompare compare) {
    if (sorted_ || Count() < 2)
        return;
    auto byList = [&](int i, int j) { return compare(*this, i, j); };
    auto exchange = [&](int i, int j) { Exchange(i, j); };
    PartitionSort(0, Count() - 1, byList, exchange);
    keyCache_.reset();
}

} // namespace voice
