#pragma once
// The list's partition sort (middle pivot that follows its entry as it moves). Equal
// keys end up in an order that depends on this exact sequence of exchanges, so every
// sort of the list goes through this one template.

namespace voice {

// Sorts entries left..right. compare(i, j) returns <0, 0, >0 for the entries at i and j
// and must give 0 for an entry with itself; exchange(i, j) swaps them. settle(l, r) may
// finish a part itself and return true where the part has one sorted order only (no two
// equal entries): what happens inside a part never depends on anything outside it.
template <typename Compare, typename Exchange, typename Settle>
void PartitionSort(int left, int right, Compare& compare, Exchange& exchange, Settle& settle) {
    while (left < right) {
        if (settle(left, right))
            return;
        int i = left;
        int j = right;
        int pivot = left + (right - left) / 2;
        do {
            while (compare(i, pivot) < 0)
                ++i;
            while (compare(j, pivot) > 0)
                --j;
            if (i <= j) {
                exchange(i, j);
                if (pivot == i)
                    pivot = j;
                else if (pivot == j)
                    pivot = i;
                ++i;
                --j;
            }
        } while (i <= j);
        // left..j and i..right are disjoint and sorted independently, so recursing into
        // the smaller one and looping on the other gives the same result with a shallow
        // stack, whatever the input.
        if (j - left < right - i) {
            if (left < j)
                PartitionSort(left, j, compare, exchange, settle);
            left = i;
        } else {
            if (i < right)
                PartitionSort(i, right, compare, exchange, settle);
            right = j;
        }
    }
}

template <typename Compare, typename Exchange>
void PartitionSort(int left, int right, Compare& compare, Exchange& exchange) {
    auto never = [](int, int) { return false; };
    PartitionSort(left, right, compare, exchange, never);
}

} // namespace voice
