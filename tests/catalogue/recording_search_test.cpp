// The search over an in-memory tree: attribute words, name matching, ranges, ordering
// and failure paths, independent of what the platform can produce.
#include "catalogue/recording_search.h"

#include "catalogue/list_line.h"
#include "fake_directory_tree.h"
#include "platform/app_error.h"

#include <gtest/gtest.h>

#include <set>

namespace voice {
namespace {

using testing_support::FakeDirectoryTree;
using testing_support::FakeEntry;
using testing_support::FakeUtcFileTime;

const std::wstring kStartDir = L"C:\\VOICE";
const std::uint64_t kEnd = FakeUtcFileTime(2010, 3, 15, 9, 41, 3);

class RecordingSearchTest : public testing::Test {
protected:
    RecordingSearchTest() {
        tree.AddDirectory(kStartDir);
        criteria.from = {2010, 3, 15};
        criteria.to = {2010, 3, 15};
        lineList.SetOrderingSource([this] { return ordering; });
    }

    void SetChannelDir(int channel, const std::string& path) {
        ASSERT_TRUE(table.SetChannelDirBytes(channel - 1, path));
        criteria.channelTicked[static_cast<std::size_t>(channel - 1)] = true;
    }

    void AddRecording(const std::wstring& dir, const std::wstring& name,
                      std::uint32_t attributes = kAttrArchive, std::uint64_t size = 1) {
        tree.AddFile(dir, FakeEntry{name, attributes, size, kEnd});
    }

    void Search() {
        RunRecordingSearch(
            criteria, table, lineList, kStartDir, [this] { ++channelsShown; }, tree);
    }

    // The file names of the listed recordings, in list order.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const std::wstring& line : lineList.Lines())
            names.push_back(line.substr(line.rfind(L'\\') + 1));
        return names;
    }
    std::set<std::wstring> NameSet() const {
        const auto names = Names();
        return {names.begin(), names.end()};
    }

    FakeDirectoryTree tree;
    ChannelDirTable table;
    SearchCriteria criteria;
    int ordering = 0;
    TSortStr lineList;
    int channelsShown = 0;
};

TEST_F(RecordingSearchTest, ListsTheChannelsFilesWithTheirColumns) {
    SetChannelDir(3, "D:\\REC3");
    const std::wstring day = L"D:\\REC3\\A3F";
    AddRecording(day, L"A3F93015.3", kAttrArchive, 123456);
    AddRecording(day, L"A3F93015.1");                             // another channel
    AddRecording(day, L"A3F93016.3", kAttrArchive | kAttrHidden); // hidden
    AddRecording(day, L"A3F93017.3", kAttrArchive | kAttrReadOnly);
    AddRecording(day, L"A3F93018.3", kAttrSystem);
    AddRecording(day, L"A3F93019.3", kAttrDirectory);
    AddRecording(day, L"A3F93020.3.BAK");
    AddRecording(day, L"A3F93021.13");
    AddRecording(day, L"A3F93022.3", 0x80 | 0x40); // normal and the mask's 64 bit
    Search();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"A3F93015.3", L"A3F93017.3", L"A3F93018.3",
                                                  L"A3F93022.3"}));
    ASSERT_GE(lineList.Count(), 1);
    EXPECT_EQ(lineList[0], L"3  15.03.10 09:30:15  15.03.10 09:41:02  123456" +
                               std::wstring(33, L' ') + L"D:\\REC3\\A3F\\A3F93015.3");
    EXPECT_EQ(channelsShown, 1);
    EXPECT_EQ(tree.CurrentDirectory(), kStartDir);
    const std::vector<std::wstring> first = lineList.Lines();
    Search(); // a second search lists the same, never twice
    EXPECT_EQ(lineList.Lines(), first);
}

TEST_F(RecordingSearchTest, ScansOnlyDayDirectoriesWhoseAttributeWordIsExactlyTheDirectoryBit) {
    SetChannelDir(1, "D:\\REC1");
    struct Case {
        const wchar_t* day;
        std::uint32_t attributes;
        bool scanned;
    };
    const Case cases[] = {
        {L"A3F", kAttrDirectory, true},
        {L"A3G", kAttrDirectory | kAttrArchive, false},
        {L"A3H", kAttrDirectory | kAttrReadOnly, false},
        {L"A3J", kAttrDirectory | kAttrHidden, false},
        {L"A3I", kAttrDirectory | kAttrSystem, false},
        {L"A3K", kAttrDirectory | 0x800, false}, // compressed
        {L"A3L", kAttrArchive, false},           // a file that holds nothing
    };
    criteria.to = {2010, 3, 31};
    for (const Case& c : cases) {
        const std::wstring day = std::wstring(L"D:\\REC1\\") + c.day;
        tree.AddDirectory(day, c.attributes);
        AddRecording(day, std::wstring(c.day) + L"00000.1");
    }
    tree.AddDirectory(L"D:\\REC1\\A3M.X"); // has an extension: not a day directory
    AddRecording(L"D:\\REC1\\A3M.X", L"A3M00000.1");
    Search();
    for (const Case& c : cases)
        EXPECT_EQ(NameSet().count(std::wstring(c.day) + L"00000.1"), c.scanned ? 1u : 0u)
            << static_cast<char>(c.day[2]);
    EXPECT_EQ(lineList.Count(), 1);
}

TEST_F(RecordingSearchTest, DayDirectoryDatesLimitTheScanExceptForFourCharacterPaths) {
    SetChannelDir(1, "D:\\REC1"); // its own name reads 12.01.2027
    SetChannelDir(2, "D:\\");
    criteria.from = {2010, 3, 14};
    criteria.to = {2010, 3, 15};
    // In range and out of range day directories under channel 1.
    AddRecording(L"D:\\REC1\\A3F", L"A3F00000.1");
    AddRecording(L"D:\\REC1\\A3E", L"A3E00000.1");
    AddRecording(L"D:\\REC1\\A3D", L"A3E00001.1"); // own start in range, day not
    AddRecording(L"D:\\REC1", L"A3F00002.1");      // base directory dated 2027
    // Channel 2: D:\5 dates 05.01.2000, far outside, but is 4 characters long.
    AddRecording(L"D:\\5", L"A3F00003.2");
    AddRecording(L"D:\\5", L"A3C00004.2"); // its own date is out of range
    AddRecording(L"D:\\55", L"A3F00005.2");
    Search();
    EXPECT_EQ(NameSet(), (std::set<std::wstring>{L"A3F00000.1", L"A3E00000.1", L"A3F00003.2"}));

    criteria.channelTicked = {true};
    criteria.from = {2010, 3, 15};
    criteria.to = {2027, 1, 12};
    Search();
    EXPECT_EQ(NameSet().count(L"A3F00002.1"), 1u); // the base directory takes part as "."
}

TEST_F(RecordingSearchTest, DotDotIsNeverADayDirectoryAndOnlyFourCharacterPathsEscapeTheRange) {
    // Every file below starts on 15.03.2010, inside the range; where it is listed
    // depends only on the directory it lies in.
    struct Case {
        int channel;
        const char* base;
        const wchar_t* dir;
        bool listed;
    };
    const Case cases[] = {
        {1, "D:\\A3F\\REC1", L"D:\\A3F\\REC1\\A3F", true},
        {1, "D:\\A3F\\REC1", L"D:\\A3F", false}, // "..": its date is in range
        {2, "E:\\5\\REC2", L"E:\\5", false},     // "..": a 4-character path
        {3, "F:\\", L"F:\\", false},             // ".": 3 characters, dated 1900
        {4, "G:\\7", L"G:\\7", true},            // ".": 4 characters, dated 1900
        {5, "H:\\77", L"H:\\77", false},         // ".": 5 characters, dated 1900
        {5, "H:\\77", L"H:\\77\\A3F", true},
    };
    const auto name = [](int channel) {
        return L"A3F" + std::to_wstring(channel) + L"0000." + std::to_wstring(channel);
    };
    for (const Case& c : cases) {
        SetChannelDir(c.channel, c.base);
        AddRecording(c.dir, name(c.channel));
    }
    Search();
    std::multiset<std::wstring> listed;
    for (const std::wstring& line : lineList.Lines())
        listed.emplace(ListLinePath(line));
    for (const Case& c : cases) {
        std::wstring path = c.dir;
        if (path.back() != L'\\')
            path.push_back(L'\\');
        path += name(c.channel);
        EXPECT_EQ(listed.count(path), c.listed ? 1u : 0u) << std::string(path.begin(), path.end());
    }
}

TEST_F(RecordingSearchTest, TimeWindowAppliesToEveryDayOfTheRange) {
    SetChannelDir(1, "D:\\REC1");
    criteria.from = {2010, 3, 14};
    criteria.to = {2010, 3, 16};
    for (const wchar_t* day : {L"A3E", L"A3F", L"A3G"})
        for (const wchar_t* time : {L"65959", L"70000", L"80000", L"H0000", L"H0001"})
            AddRecording(std::wstring(L"D:\\REC1\\") + day, std::wstring(day) + time + L".1");
    struct Case {
        bool fromOn;
        const wchar_t* from;
        bool toOn;
        const wchar_t* to;
        std::size_t perDay;
    };
    const Case cases[] = {
        {false, L"23:00:00", false, L"00:00:00", 5},
        {true, L"08:00:00", true, L"17:00:00", 2}, // 08:00:00 and 17:00:00, not 17:00:01
        {true, L"22:00:00", true, L"06:00:00", 0},
        {false, L"", true, L"07:00:00", 2},
        {true, L"07:00:00", false, L"", 4},
        {true, L" 7:00:00", false, L"", 4}, // a blank hour tens reads as 0
        {false, L"", true, L" 7:00:00", 2},
        {true, L"17:00:00", true, L"17:00:00", 1},
    };
    for (const Case& c : cases) {
        criteria.fromTime = {c.fromOn, c.from};
        criteria.toTime = {c.toOn, c.to};
        Search();
        EXPECT_EQ(lineList.Count(), static_cast<int>(3 * c.perDay))
            << (c.fromOn ? "from on " : "from off ") << (c.toOn ? "to on" : "to off");
    }
}

TEST_F(RecordingSearchTest, DateRangeOfRecordingsIsInclusiveAndEmptyWhenReversed) {
    SetChannelDir(1, "D:\\");
    // D:\5 is scanned whatever its date, so the recordings' own dates decide.
    for (const wchar_t* name : {L"A3E00000.1", L"A3F00000.1", L"A3FN5959.1", L"A3G00000.1"})
        AddRecording(L"D:\\5", name);
    Search();
    EXPECT_EQ(NameSet(), (std::set<std::wstring>{L"A3F00000.1", L"A3FN5959.1"}));
    criteria.from = {2010, 3, 16};
    Search();
    EXPECT_EQ(lineList.Count(), 0);
}

TEST_F(RecordingSearchTest, SortsAfterEveryChannelWhichDecidesTheOrderOfTies) {
    SetChannelDir(1, "D:\\REC1");
    SetChannelDir(2, "D:\\REC2");
    // Three recordings with the same start: channel 1's pair is sorted (reversed) before
    // channel 2's arrives, then all three are sorted again.
    AddRecording(L"D:\\REC1\\A3F", L"A3F93015.1", kAttrArchive, 1);
    AddRecording(L"D:\\REC1\\A3F", L"A3F93015.1", kAttrArchive, 2);
    AddRecording(L"D:\\REC2\\A3F", L"A3F93015.2", kAttrArchive, 3);
    std::vector<std::vector<std::int64_t>> shown;
    RunRecordingSearch(
        criteria, table, lineList, kStartDir,
        [&] {
            std::vector<std::int64_t> sizes;
            for (const std::wstring& line : lineList.Lines())
                sizes.push_back(std::stoll(line.substr(41, 10)));
            shown.push_back(sizes);
        },
        tree);
    EXPECT_EQ(shown, (std::vector<std::vector<std::int64_t>>{{2, 1}, {3, 1, 2}}));
    EXPECT_TRUE(lineList.Sorted());
}

TEST_F(RecordingSearchTest, AnImpossibleDateStopsTheSearchWhereItIs) {
    SetChannelDir(1, "D:\\REC1");
    SetChannelDir(2, "D:\\REC2");
    SetChannelDir(3, "D:\\REC3");
    AddRecording(L"D:\\REC1\\A3F", L"A3F90000.1");
    AddRecording(L"D:\\REC1\\A3F", L"A3F80000.1");
    AddRecording(L"D:\\REC2\\A3F", L"A3F90000.2");
    AddRecording(L"D:\\REC2\\A3F", L"A3F80000.2");
    AddRecording(L"D:\\REC2\\A3F", L"J2T80000.2"); // 29.02.2018
    AddRecording(L"D:\\REC2\\A3F", L"A3F70000.2");
    AddRecording(L"D:\\REC3\\A3F", L"A3F70000.3");
    EXPECT_THROW(Search(), DateEncodeError);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"A3F80000.1", L"A3F90000.1", L"A3F90000.2",
                                                  L"A3F80000.2"}));
    EXPECT_FALSE(lineList.Sorted());
    EXPECT_EQ(channelsShown, 1);
    EXPECT_EQ(tree.CurrentDirectory(), L"D:\\REC2\\A3F");

    // A day directory's impossible date stops the search too, in or out of the range,
    // after the day directories found before it.
    tree.AddDirectory(L"D:\\REC3\\A2U");
    AddRecording(L"D:\\REC3\\A2V", L"A3F60000.3");
    criteria.channelTicked = {false, false, true};
    EXPECT_THROW(Search(), DateEncodeError);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"A3F70000.3"}));
    EXPECT_EQ(tree.CurrentDirectory(), L"D:\\REC3\\A3F"); // the last day directory listed
}

TEST_F(RecordingSearchTest, ChannelsThatCannotBeEnteredYieldNothing) {
    SetChannelDir(1, "D:\\MISSING");
    SetChannelDir(2, "D:\\REC2");
    criteria.channelTicked[3] = true;
    ASSERT_TRUE(table.SetChannelDirBytes(3, ""));
    AddRecording(L"D:\\REC2\\A3F", L"A3F90000.2");
    Search();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"A3F90000.2"}));
    EXPECT_EQ(channelsShown, 1);
    EXPECT_EQ(tree.CurrentDirectory(), kStartDir);
}

TEST_F(RecordingSearchTest, SkipsRecordingsWhoseFullPathExceeds259Characters) {
    SetChannelDir(1, "D:\\REC1");
    // "D:\REC1\" is 8 characters, the day directory name 3 + padding, then "\" + 10.
    const std::wstring fits = L"D:\\REC1\\A3F" + std::wstring(259 - 8 - 3 - 11, L'x');
    const std::wstring tooLong = L"D:\\REC1\\A3F" + std::wstring(259 - 8 - 3 - 10, L'y');
    AddRecording(fits, L"A3F90000.1");
    AddRecording(tooLong, L"A3F80000.1");
    Search();
    ASSERT_EQ(lineList.Count(), 1);
    EXPECT_EQ(ListLinePath(lineList[0]).size(), 259u);
}

} // namespace
} // namespace voice
