#include "catalogue/orderings.h"

#include "catalogue/list_line.h"

#include <gtest/gtest.h>

#include <random>

namespace voice {
namespace {

// A line as the search writes it; tag ends its path so that equal keys stay apart.
std::wstring Line(int channel, DateTimeParts start, DateTimeParts end, std::uint64_t size,
                  const std::wstring& tag) {
    return BuildListLine(channel, start, end, size, L"D:\\" + tag);
}

std::vector<std::wstring> Tags(const TSortStr& list) {
    std::vector<std::wstring> tags;
    for (const std::wstring& line : list.Lines())
        tags.push_back(line.substr(line.rfind(L'\\') + 1));
    return tags;
}

TSortStr ListOf(const std::vector<std::wstring>& lines, int ordering) {
    TSortStr list([ordering] { return ordering; });
    for (const std::wstring& line : lines)
        list.Add(line);
    return list;
}

const DateTimeParts kT0{2010, 3, 15, 9, 30, 15};
const DateTimeParts kT1{2010, 3, 15, 9, 30, 16};

TEST(SortKeyTest, TakesYearMonthDayThenTimeAndDropsWhatIsMissing) {
    const std::wstring line = Line(3, kT0, {2011, 4, 16, 10, 41, 2}, 1, L"x");
    EXPECT_EQ(MakeSortKey(line, kStartColumn).View(), L"10031509:30:15");
    EXPECT_EQ(MakeSortKey(line, kEndColumn).View(), L"11041610:41:02");
    EXPECT_EQ(MakeSortKey(L"3  15.03.1", kStartColumn).View(), L"10315");
    EXPECT_EQ(MakeSortKey(L"3", kStartColumn).View(), L"");
}

TEST(CompareTextTest, FoldsAsciiLettersToUpperCaseOnly) {
    struct Case {
        const wchar_t *a, *b;
        int sign;
    };
    const Case cases[] = {{L"abc", L"ABC", 0}, {L"ab", L"abc", -1},       {L"b", L"A", 1},
                          {L"_", L"a", 1},     {L"\u00e9", L"\u00c9", 1}, {L"", L"", 0}};
    for (const Case& c : cases) {
        const int r = CompareFoldedText(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
    }
}

TEST(SizeColumnTest, ReadsColumns41To55AsA64BitNumber) {
    EXPECT_EQ(SizeColumnValue(Line(1, kT0, kT0, 5'000'000'000ULL, L"a")), 5'000'000'000LL);
    EXPECT_EQ(SizeColumnValue(std::wstring(40, L'x') + L"\t 77 \t"), 77);
    EXPECT_EQ(SizeColumnValue(std::wstring(40, L'x') + L" 12345678901234XYZ"), 12345678901234);
    EXPECT_EQ(SizeColumnValue(std::wstring(40, L'x') + L" 12a"), 0);
}

TEST(ComparatorTest, EachOrderingDecidesByItsColumnsAndIgnoresBadIndices) {
    const std::wstring early = Line(2, kT0, {2010, 3, 15, 10, 0, 0}, 1000, L"early");
    const std::wstring late = Line(1, kT1, {2010, 3, 15, 9, 50, 0}, 999, L"late");
    struct Case {
        LineCompare compare;
        std::wstring a, b;
        int sign;
    };
    const Case cases[] = {
        {CompareByStart, early, late, -1},
        {CompareByStart, Line(1, {2037, 1, 1}, kT0, 1, L"a"), Line(1, {1999, 1, 1}, kT0, 1, L"b"),
         -1}, // two-digit year: 99 after 37
        {CompareByEnd, late, early, -1},
        {CompareByEnd, Line(1, kT1, kT0, 1, L"b"), Line(1, kT0, kT0, 1, L"a"), 1},
        {CompareByChannel, late, early, -1},
        {CompareByChannel, Line(1, kT1, kT0, 1, L"b"), Line(1, kT0, kT0, 1, L"a"), 1},
        {CompareBySize, early, late, -1}, // 1000 before 999: descending, as numbers
        {CompareBySize, early, early, 0},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const TSortStr list = ListOf({cases[k].a, cases[k].b}, 0);
        const int r = cases[k].compare(list, 0, 1);
        EXPECT_EQ((r > 0) - (r < 0), cases[k].sign) << "case " << k;
        for (auto [i, j] : {std::pair{-1, 0}, {0, 2}})
            EXPECT_EQ(cases[k].compare(list, i, j), 0) << "case " << k;
    }
}

TEST(TieOrderTest, EqualKeysComeOutInThePartitionSortsOrder) {
    // Traced by hand through the list's partition sort; a stable or another sort differs.
    struct Case {
        std::vector<DateTimeParts> starts;
        std::vector<std::wstring> expected;
    };
    const DateTimeParts t2{2010, 3, 15, 9, 30, 17};
    const Case cases[] = {
        {{kT0, kT0, kT0}, {L"2", L"1", L"0"}},
        {{kT1, kT0, kT1, kT1}, {L"1", L"3", L"2", L"0"}},
        {{kT1, kT1, kT0, t2, kT1}, {L"2", L"4", L"0", L"1", L"3"}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> lines;
        for (std::size_t k = 0; k < c.starts.size(); ++k)
            lines.push_back(Line(1, c.starts[k], kT0, 1, std::to_wstring(k)));
        TSortStr keyed = ListOf(lines, 0);
        keyed.SetSorted(true);
        EXPECT_EQ(Tags(keyed), c.expected);
        TSortStr compared = ListOf(lines, 0);
        compared.CustomSort(CompareByStart);
        EXPECT_EQ(Tags(compared), c.expected);
    }
}

TEST(TieOrderTest, SortingBatchByBatchMatchesTheComparatorsEveryTime) {
    // As the search does: append a batch, sort, append the next. The keys kept from one
    // sort to the next (and from one search to the next) must never change the result,
    // whatever happens in between.
    std::mt19937 random(11);
    int ordering = 0;
    TSortStr keyed([&] { return ordering; });
    TSortStr compared;
    for (int batch = 0; batch < 40; ++batch) {
        if (batch % 7 == 3)
            ordering = static_cast<int>(random() % 4);
        keyed.SetSorted(false);
        compared.SetSorted(false);
        const int count = static_cast<int>(random() % 60);
        for (int k = 0; k < count; ++k) {
            std::wstring line = Line(
                1 + static_cast<int>(random() % 3),
                {2010, 1, 1 + static_cast<int>(random() % 3), 0, static_cast<int>(random() % 4), 0},
                {2010, 1, 1, 0, static_cast<int>(random() % 4), 0}, random() % 8,
                std::to_wstring(batch) + L"." + std::to_wstring(k));
            if (random() % 50 == 0 && batch < 20)
                line[3] = L'\u0416'; // a character that needs the wide keys (until cleared)
            if (random() % 50 == 0)
                line.resize(random() % 30); // a short line
            std::wstring spare = keyed.TakeSpareLine(); // as the search writes its lines
            keyed.Add(std::move(spare.assign(line)));
            compared.Add(line);
        }
        if (batch % 5 == 4 && keyed.Count() > 1) {
            keyed.Exchange(0, keyed.Count() - 1);
            compared.Exchange(0, compared.Count() - 1);
        }
        keyed.SetSorted(true);
        compared.CustomSort(OrderingComparator(ordering));
        compared.SetSorted(true);
        ASSERT_EQ(keyed.Lines(), compared.Lines()) << "batch " << batch;
        LineCompare compare = OrderingComparator(ordering);
        for (int k = 1; k < keyed.Count(); ++k)
            ASSERT_LE(compare(keyed, k - 1, k), 0) << "batch " << batch;
        if (batch == 20 || batch == 35) {
            batch == 20 ? keyed.Clear() : keyed.ClearForRefill(); // a new search
            compared.Clear();
        }
    }
}

// The list's sort written out plainly, step by step as the program has always run it:
// pivot index (L + R) div 2, which follows its entry when exchanged, recursion into the
// left part and a loop on the right.
void ReferenceSort(TSortStr& list, LineCompare compare, int left, int right) {
    for (;;) {
        int i = left;
        int j = right;
        int p = (left + right) / 2;
        do {
            while (compare(list, i, p) < 0)
                ++i;
            while (compare(list, j, p) > 0)
                --j;
            if (i <= j) {
                list.Exchange(i, j);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (left < j)
            ReferenceSort(list, compare, left, j);
        left = i;
        if (i >= right)
            return;
    }
}

std::vector<std::wstring> ReferenceOrder(const std::vector<std::wstring>& lines, int ordering) {
    TSortStr list = ListOf(lines, ordering);
    if (list.Count() > 1)
        ReferenceSort(list, OrderingComparator(ordering), 0, list.Count() - 1);
    return list.Lines();
}

TEST(TieOrderTest, ListsFullOfTiesComeOutExactlyAsTheReferenceSortLeavesThem) {
    // Few distinct keys, so nearly every comparison is a tie and every exchange shows.
    std::mt19937 random(5);
    const DateTimeParts times[] = {kT0, kT1, {2011, 1, 1, 0, 0, 0}};
    for (int round = 0; round < 300; ++round) {
        const int ordering = round % 4;
        std::vector<std::wstring> lines;
        const int count = 2 + static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k)
            lines.push_back(Line(1 + static_cast<int>(random() % 2), times[random() % 3],
                                 times[random() % 3], 10 + random() % 3, std::to_wstring(k)));
        // As the search runs it: one channel's lines sorted, then more appended and the
        // whole list sorted again.
        const std::size_t firstBatch = lines.size() / 2;
        TSortStr keyed([ordering] { return ordering; });
        TSortStr compared;
        std::vector<std::wstring> expected;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            keyed.Add(lines[k]);
            compared.Add(lines[k]);
            expected.push_back(lines[k]);
            if (k + 1 != firstBatch && k + 1 != lines.size())
                continue;
            expected = ReferenceOrder(expected, ordering);
            keyed.SetSorted(true);
            compared.CustomSort(OrderingComparator(ordering));
            ASSERT_EQ(Tags(keyed), Tags(ListOf(expected, ordering)))
                << "round " << round << ", " << k + 1 << " lines";
            ASSERT_EQ(compared.Lines(), expected) << "round " << round << ", " << k + 1 << " lines";
            keyed.SetSorted(false);
        }
    }
}

TEST(SortStrTest, SortsOnlyWhenTheSortedStateTurnsOnAndOnlyByTheFourOrderings) {
    int ordering = 0;
    int reads = 0;
    TSortStr list([&] {
        ++reads;
        return ordering;
    });
    list.Add(Line(1, kT1, kT0, 1, L"b"));
    list.Add(Line(1, kT0, kT0, 1, L"a"));
    list.SetSorted(false); // no change: no sort
    EXPECT_EQ(reads, 0);
    list.SetSorted(true);
    EXPECT_EQ(Tags(list), (std::vector<std::wstring>{L"a", L"b"}));
    list.Add(Line(1, {2009, 1, 1}, kT0, 1, L"c")); // appended even in the sorted state
    list.SetSorted(true);                          // already sorted: nothing happens
    list.CustomSort(CompareByStart);               // nor here
    EXPECT_EQ(Tags(list), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    list.Clear();
    EXPECT_TRUE(list.Sorted()); // emptying keeps the state
    for (int outside : {-1, 4}) {
        ordering = outside;
        TSortStr other = ListOf({Line(1, kT1, kT0, 1, L"b"), Line(1, kT0, kT0, 1, L"a")}, outside);
        other.SetSorted(true);
        EXPECT_EQ(Tags(other), (std::vector<std::wstring>{L"b", L"a"})) << outside;
    }
}

} // namespace
} // namespace voice
