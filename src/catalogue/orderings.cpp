#include "catalogue/orderings.h"

#include "catalogue/partition_sort.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

namespace voice {
namespace {

constexpr int kSizeColumn = 41;
constexpr int kSizeWidth = 15;
// The key's characters as offsets from the field's first column, in key order:
// year, month, day, then the time.
constexpr std::size_t kKeyOffsets[SortKey::kCapacity] = {6,  7,  3,  4,  0,  1,  9,
                                                         10, 11, 12, 13, 14, 15, 16};
constexpr std::size_t kFieldWidth = 17;

wchar_t Fold(wchar_t c) noexcept {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

bool ValidIndices(const TSortStr& list, int i, int j) noexcept {
    return i >= 0 && j >= 0 && i < list.Count() && j < list.Count();
}

// Hands the characters of the key at column to push, in key order, skipping those
// beyond the end of the line.
template <typename Push> void VisitSortKey(std::wstring_view line, int column, Push& push) {
    const std::size_t base = static_cast<std::size_t>(column - 1);
    if (base + kFieldWidth <= line.size()) {
        for (std::size_t offset : kKeyOffsets)
            push(line[base + offset]);
        return;
    }
    for (std::size_t offset : kKeyOffsets)
        if (base + offset < line.size())
            push(line[base + offset]);
}

// The key's characters as positions in a line, in key order.
constexpr std::array<std::size_t, SortKey::kCapacity> KeyPositions(int column) {
    std::array<std::size_t, SortKey::kCapacity> positions{};
    for (std::size_t k = 0; k < positions.size(); ++k)
        positions[k] = static_cast<std::size_t>(column - 1) + kKeyOffsets[k];
    return positions;
}

template <std::size_t N, std::size_t M>
constexpr std::array<std::size_t, N + M> Join(const std::array<std::size_t, N>& a,
                                              const std::array<std::size_t, M>& b) {
    std::array<std::size_t, N + M> joined{};
    for (std::size_t k = 0; k < N; ++k)
        joined[k] = a[k];
    for (std::size_t k = 0; k < M; ++k)
        joined[N + k] = b[k];
    return joined;
}

// The texts the three text orderings compare: Visit hands their characters over one by
// one; kPositions lists them for a line long enough to hold them all (kFullLength).
struct StartKeyText {
    static constexpr std::array<std::size_t, SortKey::kCapacity> kPositions =
        KeyPositions(kStartColumn);
    template <typename Push> static void Visit(std::wstring_view line, Push& push) {
        VisitSortKey(line, kStartColumn, push);
    }
};
struct EndKeyText {
    static constexpr auto kPositions = Join(KeyPositions(kEndColumn), KeyPositions(kStartColumn));
    template <typename Push> static void Visit(std::wstring_view line, Push& push) {
        VisitSortKey(line, kEndColumn, push);
        VisitSortKey(line, kStartColumn, push);
    }
};
struct ChannelKeyText {
    static constexpr auto kPositions =
        Join(std::array<std::size_t, 1>{0}, KeyPositions(kStartColumn));
    template <typename Push> static void Visit(std::wstring_view line, Push& push) {
        if (!line.empty())
            push(line[0]);
        VisitSortKey(line, kStartColumn, push);
    }
};

template <typename Text> constexpr int kTextCapacity = static_cast<int>(Text::kPositions.size());
template <typename Text>
constexpr std::size_t
    kFullLength = *std::max_element(Text::kPositions.begin(), Text::kPositions.end()) + 1;

// A key text folded into a fixed buffer: what the comparators compare.
template <typename Text> class FoldedText {
public:
    explicit FoldedText(std::wstring_view line) noexcept {
        auto push = [this](wchar_t c) { chars_[length_++] = Fold(c); };
        Text::Visit(line, push);
    }
    std::wstring_view View() const noexcept { return {chars_, static_cast<std::size_t>(length_)}; }

private:
    wchar_t chars_[kTextCapacity<Text>];
    int length_ = 0;
};

template <typename Text> int CompareLines(std::wstring_view a, std::wstring_view b) noexcept {
    return CompareFoldedText(FoldedText<Text>(a).View(), FoldedText<Text>(b).View());
}

// A folded key text packed into 64-bit words, first character most significant, zero
// padded, so that comparing the words and then the lengths is the text comparison.
// With UnitBits 8 only characters 0..255 fit (Fits tells); the full width holds any.
template <typename Text, int UnitBits> class PackedText {
public:
    static constexpr bool kNarrow = UnitBits < static_cast<int>(sizeof(wchar_t) * 8);

    explicit PackedText(std::wstring_view line) noexcept {
        if (line.size() >= kFullLength<Text>)
            PackFull(line);
        else
            PackShort(line);
    }
    friend bool Fits(const PackedText& key) noexcept { return key.fits_; }
    friend int Compare(const PackedText& a, const PackedText& b) noexcept {
        for (int w = 0; w < kWords; ++w)
            if (a.words_[w] != b.words_[w])
                return a.words_[w] < b.words_[w] ? -1 : 1;
        return a.length_ < b.length_ ? -1 : (a.length_ > b.length_ ? 1 : 0);
    }

private:
    static constexpr int kPerWord = 64 / UnitBits;
    static constexpr int kWords = (kTextCapacity<Text> + kPerWord - 1) / kPerWord;

    // Every character is there: positions and shifts are constants, unrolled by the pack
    // expansion, and the words stay in registers until they are complete.
    void PackFull(std::wstring_view line) noexcept {
        const wchar_t* chars = line.data();
        std::uint64_t seen = 0;
        std::uint64_t words[kWords] = {};
        [&]<std::size_t... K>(std::index_sequence<K...>) {
            ((words[K / kPerWord] |= Packed<K>(chars, seen)), ...);
        }
        (std::make_index_sequence<Text::kPositions.size()>{});
        for (int w = 0; w < kWords; ++w)
            words_[w] = words[w];
        fits_ = !kNarrow || seen <= 0xFF;
        length_ = static_cast<std::uint8_t>(Text::kPositions.size());
    }

    // Key character K in its place within its word.
    template <std::size_t K>
    static std::uint64_t Packed(const wchar_t* chars, std::uint64_t& seen) noexcept {
        const std::uint64_t unit = Unit(Fold(chars[Text::kPositions[K]]));
        seen |= unit;
        return unit << (UnitBits * (kPerWord - 1 - static_cast<int>(K) % kPerWord));
    }

    void PackShort(std::wstring_view line) noexcept {
        std::uint64_t current = 0;
        int inWord = 0;
        int word = 0;
        auto push = [&](wchar_t c) {
            const std::uint64_t unit = Unit(Fold(c));
            if (kNarrow && unit > 0xFF)
                fits_ = false;
            current = (current << UnitBits) | unit;
            ++length_;
            if (++inWord == kPerWord) {
                words_[word++] = current;
                current = 0;
                inWord = 0;
            }
        };
        Text::Visit(line, push);
        if (inWord != 0)
            words_[word] = current << (UnitBits * (kPerWord - inWord));
    }

    // A character's place in wchar_t's own order (signed or not). Narrow: 0..255 as
    // they are, anything else 0x100, which marks the key as not fitting.
    static std::uint64_t Unit(wchar_t c) noexcept {
        if constexpr (kNarrow) {
            const auto value = static_cast<std::int64_t>(c);
            return value >= 0 && value <= 0xFF ? static_cast<std::uint64_t>(value) : 0x100;
        } else {
            using Unsigned = std::make_unsigned_t<wchar_t>;
            constexpr Unsigned kFlip =
                std::is_signed_v<wchar_t> ? Unsigned(1) << (sizeof(wchar_t) * 8 - 1) : 0;
            return static_cast<Unsigned>(static_cast<Unsigned>(c) ^ kFlip);
        }
    }

    std::uint64_t words_[kWords] = {};
    std::uint8_t length_ = 0;
    bool fits_ = true;
};

int CompareSizes(std::int64_t a, std::int64_t b) noexcept {
    return b > a ? 1 : (b < a ? -1 : 0);
}

// CompareBySize's key: larger sizes first.
struct SizeKey {
    explicit SizeKey(std::wstring_view line) noexcept : value(SizeColumnValue(line)) {}
    SizeKey() = default;
    std::int64_t value = 0;
    friend bool Fits(SizeKey) noexcept { return true; }
    friend int Compare(SizeKey a, SizeKey b) noexcept { return CompareSizes(a.value, b.value); }
};

// The keys of the lines in their current order, as the last keyed sort of one ordering
// left them, that is in sorted order: the next sort derives keys only for the lines
// added since.
//
// Its buffers outlive the keys (Forget), so sorting after every channel, and a new search
// over the same list, reuse the memory instead of allocating and copying megabytes again.
template <typename Key> struct IndexedKey {
    Key key;
    std::uint32_t index;
};
struct RankedLine {
    std::uint32_t rank;
    std::uint32_t index;
};

// A sort's working memory, in the cache so that the sorts of a search share it.
template <typename Key> struct SortScratch {
    std::vector<IndexedKey<Key>> indexed;
    std::vector<RankedLine> ranked;
    std::vector<RankedLine> held;
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> firstOf;
    std::vector<std::uint32_t> tiesUpTo;
};

template <typename Key> class KeyCache final : public SortKeyCache {
public:
    explicit KeyCache(int ordering) : ordering_(ordering) {}
    int Ordering() const noexcept { return ordering_; }
    std::vector<Key>& Keys() noexcept { return keys_; }
    // How many of the keys are in sorted order; those after them were added since.
    std::size_t SortedCount() const noexcept { return sortedCount_; }
    // A key that did not fit was added: the keys can no longer sort the lines.
    bool Unfit() const noexcept { return unfit_; }
    void LineAdded(const std::wstring& line) override {
        if (unfit_)
            return;
        keys_.emplace_back(line);
        unfit_ = !Fits(keys_.back());
    }
    // Room for the keys in the order given, then the keys replaced by them.
    std::vector<Key>& Reordered(std::size_t count) {
        reordered_.clear();
        reordered_.reserve(count);
        return reordered_;
    }
    void TakeReordered() noexcept {
        keys_.swap(reordered_);
        sortedCount_ = keys_.size();
    }
    void Forget() noexcept override {
        keys_.clear();
        sortedCount_ = 0;
        unfit_ = false;
    }
    SortScratch<Key>& Scratch() noexcept { return scratch_; }

private:
    int ordering_;
    std::vector<Key> keys_;
    std::size_t sortedCount_ = 0;
    bool unfit_ = false;
    std::vector<Key> reordered_;
    SortScratch<Key> scratch_;
};

// The order the list's partition sort gives for these keys: order[k] is the index of
// the key that ends up at k. The first sortedCount keys are already in sorted order
// (kept from the previous sort), the rest were added since. sortedKeys receives the keys
// in that order, as they come: equal keys are the same whichever line holds them.
//
// Lines added to a sorted list are the search's case, and the partition sort is slow on
// it, so there the keys are ranked first (the kept ones need only a merge): the
// partition sort only ever asks which of two keys is smaller, so running it on dense
// ranks (equal keys, equal rank) gives exactly its result with cheaper comparisons and
// exchanges, and when no two keys are equal there is only one sorted order, which is
// then the result without running it at all. The first sort, with no keys kept, runs on
// the keys directly.
template <typename Key>
std::vector<std::uint32_t>& PartitionSortOrder(const std::vector<Key>& keys,
                                               std::size_t sortedCount, SortScratch<Key>& scratch,
                                               std::vector<Key>& sortedKeys) {
    using Indexed = IndexedKey<Key>;
    const std::size_t count = keys.size();
    std::vector<std::uint32_t>& byKey = scratch.order;
    byKey.resize(count);
    std::vector<Indexed>& added = scratch.indexed;
    added.clear();
    if (sortedCount == 0) {
        for (std::size_t k = 0; k < count; ++k)
            added.push_back({keys[k], static_cast<std::uint32_t>(k)});
        Indexed* data = added.data();
        auto compare = [data](int i, int j) { return Compare(data[i].key, data[j].key); };
        auto exchange = [data](int i, int j) { std::swap(data[i], data[j]); };
        PartitionSort(0, static_cast<int>(count) - 1, compare, exchange);
        for (std::size_t k = 0; k < count; ++k) {
            byKey[k] = added[k].index;
            sortedKeys.push_back(added[k].key);
        }
        return byKey;
    }

    // The keys in sorted order: the new ones sorted, merged with the kept ones.
    for (std::size_t k = sortedCount; k < count; ++k)
        added.push_back({keys[k], static_cast<std::uint32_t>(k)});
    std::sort(added.begin(), added.end(),
              [](const Indexed& a, const Indexed& b) { return Compare(a.key, b.key) < 0; });

    std::vector<RankedLine>& ranked = scratch.ranked;
    ranked.resize(count);
    // Where each rank first stands in sorted order, and how many neighbours in sorted
    // order up to each place are equal: a part of the list without such a pair inside
    // has one sorted order, which the ranks give at once.
    std::vector<std::uint32_t>& firstOf = scratch.firstOf;
    std::vector<std::uint32_t>& tiesUpTo = scratch.tiesUpTo;
    firstOf.resize(count);
    tiesUpTo.resize(count);
    firstOf[0] = 0;
    std::uint32_t ties = 0;
    std::uint32_t rank = 0;
    std::size_t placed = 0;
    const Key* previous = nullptr;
    auto place = [&](std::uint32_t index, const Key& key) {
        if (previous != nullptr) {
            if (Compare(*previous, key) == 0)
                ++ties;
            else
                firstOf[++rank] = static_cast<std::uint32_t>(placed);
        }
        previous = &key;
        sortedKeys.push_back(key);
        ranked[index] = {rank, index};
        tiesUpTo[placed] = ties;
        byKey[placed++] = index;
    };
    std::size_t kept = 0;
    std::size_t fresh = 0;
    while (kept < sortedCount || fresh < added.size()) {
        if (fresh == added.size() ||
            (kept < sortedCount && Compare(keys[kept], added[fresh].key) <= 0)) {
            place(static_cast<std::uint32_t>(kept), keys[kept]);
            ++kept;
        } else {
            place(added[fresh].index, added[fresh].key);
            ++fresh;
        }
    }
    if (ties == 0)
        return byKey;

    RankedLine* data = ranked.data();
    auto compare = [data](int i, int j) {
        return data[i].rank < data[j].rank ? -1 : (data[i].rank > data[j].rank ? 1 : 0);
    };
    auto exchange = [data](int i, int j) { std::swap(data[i], data[j]); };
    // A part holds the entries that end in its places, so its ranks are those of its
    // places in sorted order; with no equal pair among them each entry goes to its rank's
    // place (a rank that begins before the part: the part's first place).
    std::vector<RankedLine>& held = scratch.held;
    auto settle = [&](int left, int right) {
        if (tiesUpTo[static_cast<std::size_t>(right)] != tiesUpTo[static_cast<std::size_t>(left)])
            return false;
        // Copied out and put back each at its place: no exchanges to follow.
        const std::uint32_t from = static_cast<std::uint32_t>(left);
        const std::size_t size = static_cast<std::size_t>(right - left + 1);
        if (held.size() < size)
            held.resize(std::max(size, 2 * held.size()));
        std::copy(data + left, data + right + 1, held.begin());
        for (std::size_t k = 0; k < size; ++k)
            data[std::max(firstOf[held[k].rank], from)] = held[k];
        return true;
    };
    PartitionSort(0, static_cast<int>(count) - 1, compare, exchange, settle);
    for (std::size_t k = 0; k < count; ++k)
        byKey[k] = ranked[k].index;
    return byKey;
}

// The order the list's partition sort leaves the lines of list in with the comparator whose
// key is Key, deriving each key once (and keeping them for the next sort); nullptr for fewer
// than two lines. Sets fits to false, with no order, when a key does not fit Key.
template <typename Key>
std::vector<std::uint32_t>* SortByKeys(const TSortStr& list, int ordering,
                                       std::unique_ptr<SortKeyCache>& cache, bool& fits) {
    fits = true;
    auto* kept = dynamic_cast<KeyCache<Key>*>(cache.get());
    std::unique_ptr<SortKeyCache> fresh;
    const auto count = static_cast<std::size_t>(list.Count());
    if (kept == nullptr || kept->Ordering() != ordering || kept->Keys().size() > count) {
        fresh = std::make_unique<KeyCache<Key>>(ordering);
        kept = static_cast<KeyCache<Key>*>(fresh.get());
    }
    if (kept->Unfit()) {
        cache.reset();
        fits = false;
        return nullptr;
    }
    std::vector<Key>& keys = kept->Keys();
    const std::size_t sortedCount = kept->SortedCount();
    if (keys.capacity() < count)
        keys.reserve(std::max(count, 2 * keys.capacity()));
    // Each line's text lies somewhere in the heap: asking for it a few lines ahead keeps
    // the key building from waiting on memory at every line.
    constexpr int kAhead = 8;
    for (int k = static_cast<int>(keys.size()); k < list.Count(); ++k) {
        if (k + kAhead < list.Count()) {
            // The key's columns reach past the first cache line of the text.
            const char* ahead = reinterpret_cast<const char*>(list[k + kAhead].data());
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        keys.emplace_back(list[k]);
        if (!Fits(keys.back())) {
            cache.reset();
            fits = false;
            return nullptr;
        }
    }
    if (fresh)
        cache = std::move(fresh);
    if (count < 2)
        return nullptr;
    std::vector<std::uint32_t>& order =
        PartitionSortOrder(keys, sortedCount, kept->Scratch(), kept->Reordered(count));
    kept->TakeReordered();
    return &order;
}

// One byte per character when every key allows it (the lines the search writes always
// do), else the full character width.
template <typename Text>
std::vector<std::uint32_t>* SortByTextKeys(const TSortStr& list, int ordering,
                                           std::unique_ptr<SortKeyCache>& cache) {
    bool fits = true;
    std::vector<std::uint32_t>* order = SortByKeys<PackedText<Text, 8>>(list, ordering, cache, fits);
    if (fits)
        return order;
    return SortByKeys<PackedText<Text, static_cast<int>(sizeof(wchar_t) * 8)>>(list, ordering, cache,
                                                                              fits);
}

} // namespace

SortKey MakeSortKey(std::wstring_view line, int column) noexcept {
    SortKey key;
    auto push = [&key](wchar_t c) { key.Push(c); };
    VisitSortKey(line, column, push);
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
    const std::size_t from = kSizeColumn - 1;
    std::wstring_view text =
        from < line.size() ? line.substr(from, kSizeWidth) : std::wstring_view{};
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
    return ValidIndices(list, i, j) ? CompareLines<StartKeyText>(list[i], list[j]) : 0;
}

int CompareByEnd(const TSortStr& list, int i, int j) {
    return ValidIndices(list, i, j) ? CompareLines<EndKeyText>(list[i], list[j]) : 0;
}

int CompareByChannel(const TSortStr& list, int i, int j) {
    return ValidIndices(list, i, j) ? CompareLines<ChannelKeyText>(list[i], list[j]) : 0;
}

int CompareBySize(const TSortStr& list, int i, int j) {
    if (!ValidIndices(list, i, j))
        return 0;
    return CompareSizes(SizeColumnValue(list[i]), SizeColumnValue(list[j]));
}

LineCompare OrderingComparator(int itemIndex) noexcept {
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

std::vector<std::uint32_t>* SortOrderByOrdering(const TSortStr& list, int itemIndex,
                                                std::unique_ptr<SortKeyCache>& cache) {
    bool fits = true;
    switch (itemIndex) {
    case 0:
        return SortByTextKeys<StartKeyText>(list, itemIndex, cache);
    case 1:
        return SortByTextKeys<EndKeyText>(list, itemIndex, cache);
    case 2:
        return SortByTextKeys<ChannelKeyText>(list, itemIndex, cache);
    case 3:
        return SortByKeys<SizeKey>(list, itemIndex, cache, fits);
    default:
        return nullptr;
    }
}

} // namespace voice
