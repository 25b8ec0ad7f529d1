#pragma once
// The recordings list: lines in order plus a sorted state. Setting the state from false
// to true sorts the lines by the ordering the window's RGSort shows at that moment.
// Portable.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace voice {

class TSortStr;

// What the ordering sort keeps between sorts (the keys of the lines); opaque here.
class SortKeyCache {
public:
    virtual ~SortKeyCache() = default;
    // Drops the keys and keeps the memory for the next list's.
    virtual void Forget() noexcept = 0;
    // A line was appended: its key is derived now, while its text is still in the cache.
    virtual void LineAdded(const std::wstring& line) = 0;
};

// Negative: line i belongs before line j; positive: after; zero: equal. Only the sign
// is used.
using LineCompare = int (*)(const TSortStr& list, int i, int j);

class TSortStr {
public:
    // Returns RGSort's item index: 0 start, 1 end, 2 channel, 3 size; anything else
    // leaves the lines as they are.
    using OrderingSource = std::function<int()>;

    TSortStr() = default;
    explicit TSortStr(OrderingSource ordering) : ordering_(std::move(ordering)) {}
    TSortStr(const TSortStr& other)
        : lines_(other.Lines()), sorted_(other.sorted_), ordering_(other.ordering_) {}
    TSortStr& operator=(const TSortStr& other) {
        if (this != &other) {
            lines_ = other.Lines();
            order_.clear();
            sorted_ = other.sorted_;
            ordering_ = other.ordering_;
            keyCache_.reset();
        }
        return *this;
    }
    TSortStr(TSortStr&&) noexcept = default;
    TSortStr& operator=(TSortStr&&) noexcept = default;
    ~TSortStr() = default;
    void SetOrderingSource(OrderingSource ordering) { ordering_ = std::move(ordering); }

    int Count() const noexcept { return static_cast<int>(lines_.size()); }
    const std::wstring& operator[](int i) const {
        const auto k = static_cast<std::size_t>(i);
        return lines_[order_.empty() ? k : order_[k]];
    }
    // The lines in order; moves them into it first when the last sort has not yet.
    const std::vector<std::wstring>& Lines() const {
        PlaceLines();
        return lines_;
    }

    // Appends whatever the sorted state.
    void Add(std::wstring line) {
        if (!order_.empty())
            order_.push_back(static_cast<std::uint32_t>(lines_.size()));
        lines_.push_back(std::move(line));
        if (keyCache_)
            keyCache_->LineAdded(lines_.back());
    }
    // Empties the list; the sorted state stays as it was.
    void Clear() noexcept {
        lines_.clear();
        order_.clear();
        spare_.clear();
        keyCache_.reset();
    }
    // Clear, keeping the lines' buffers for TakeSpareLine: a new search writes its lines
    // into the old ones instead of freeing 100,000 strings and allocating as many again.
    void ClearForRefill() noexcept;
    // An empty string, with the buffer of a line ClearForRefill kept when one is left.
    std::wstring TakeSpareLine() noexcept {
        if (spare_.empty())
            return {};
        PrefetchSpareLine();
        std::wstring line = std::move(spare_.back());
        spare_.pop_back();
        line.clear();
        return line;
    }
    // Frees the buffers no line took (the room for them is kept for the next search).
    void DropSpareLines() noexcept { spare_.clear(); }
    // Throws std::out_of_range for an index outside the list.
    void Exchange(int i, int j);

    bool Sorted() const noexcept { return sorted_; }
    // false -> true runs Sort first; any other change only records the value.
    void SetSorted(bool sorted);

    // Sorts by the ordering read from the source now; no source or an index outside
    // 0..3 leaves the order unchanged.
    void Sort();
    // The list's partition sort (partition_sort.h) with compare. Nothing happens when
    // the list is in the sorted state or holds fewer than two lines. Not stable: the
    // order of equal lines follows from their order of arrival, always the same way.
    void CustomSort(LineCompare compare);

private:
    // Asks for the buffer of a line taken a few lines later, to be written: the search
    // then writes each line into the cache instead of waiting on memory.
    void PrefetchSpareLine() const noexcept;
    // Moves the lines to where order_ says they stand.
    void PlaceLines() const;

    // A sort only works out where each line belongs (order_: the line at k is lines_[order_[k]],
    // in order when empty), and the lines are moved there when they are asked for all at
    // once: a search sorting after every channel moves 100,000 lines once, not eight times.
    mutable std::vector<std::wstring> lines_;
    mutable std::vector<std::uint32_t> order_;
    mutable std::vector<std::wstring> placed_; // emptied strings kept for PlaceLines
    std::vector<std::wstring> spare_; // buffers kept by ClearForRefill
    bool sorted_ = false;
    OrderingSource ordering_;
    // Keys for lines_[0..n) in their current order; lines are only appended between
    // sorts, so a search sorting after every channel derives each key once.
    std::unique_ptr<SortKeyCache> keyCache_;
};

} // namespace voice
