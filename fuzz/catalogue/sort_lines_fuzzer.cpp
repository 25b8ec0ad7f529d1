// Sorting arbitrary lines: no crash, the result is a permutation of the input, ordered
// by the comparator, and the keyed sort agrees with the per-comparison one exactly,
// also when a second batch is appended and sorted with the keys kept from the first.
#include "catalogue/orderings.h"
#include "fuzz_text.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace voice;
    if (size == 0)
        return 0;
    const int ordering = data[0] % 5; // 4: no ordering
    std::vector<std::wstring> lines(1);
    for (std::size_t k = 1; k < size; ++k) {
        if (data[k] == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(fuzzing::WideOf(data[k]));
    }
    TSortStr keyed([ordering] { return ordering; });
    TSortStr compared;
    const LineCompare compare = OrderingComparator(ordering);
    const std::size_t firstBatch = lines.size() / 2;
    for (std::size_t batch = 0; batch < 2; ++batch) {
        keyed.SetSorted(false);
        compared.SetSorted(false);
        for (std::size_t k = batch == 0 ? 0 : firstBatch;
             k < (batch == 0 ? firstBatch : lines.size()); ++k) {
            keyed.Add(lines[k]);
            compared.Add(lines[k]);
        }
        keyed.SetSorted(true);
        if (compare != nullptr)
            compared.CustomSort(compare);
        if (keyed.Lines() != compared.Lines())
            std::abort();
    }
    if (compare == nullptr) {
        if (keyed.Lines() != lines)
            std::abort();
        return 0;
    }
    for (int k = 1; k < keyed.Count(); ++k)
        if (compare(keyed, k - 1, k) > 0)
            std::abort();
    std::vector<std::wstring> before = lines;
    std::vector<std::wstring> after = keyed.Lines();
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    if (before != after)
        std::abort();
    return 0;
}
