// The search over real directories the test builds in its temporary directory.
#include "catalogue/win32_directory_enumerator.h"

#include "catalogue/channel_dir_file.h"
#include "catalogue/list_line.h"
#include "platform/unique_handle.h"
#include "temp_directory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>

namespace voice {
namespace {

using testing_support::CurrentDirectory;
using testing_support::MakeDirectory;
using testing_support::TempDirectory;

struct LocalTime {
    WORD year, month, day, hour, minute, second;
};

void CreateRecording(const std::wstring& path, std::uint64_t size, LocalTime when,
                     DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.Get()));
    SYSTEMTIME st{when.year, when.month, 0, when.day, when.hour, when.minute, when.second, 0};
    FILETIME local, utc;
    ASSERT_TRUE(::SystemTimeToFileTime(&st, &local));
    ASSERT_TRUE(::LocalFileTimeToFileTime(&local, &utc));
    ASSERT_TRUE(::SetFileTime(file.Get(), nullptr, nullptr, &utc));
    file.Reset();
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), attributes));
}

class Win32RecordingSearchTest : public testing::Test {
protected:
    Win32RecordingSearchTest() {
        criteria.from = {2010, 3, 15};
        criteria.to = {2010, 3, 15};
        lineList.SetOrderingSource([] { return 0; });
    }

    void Search() {
        ::SetCurrentDirectoryW(root.Path().c_str());
        RunRecordingSearch(criteria, table, lineList, root.Path(), [] {});
    }

    std::set<std::wstring> NameSet() const {
        std::set<std::wstring> names;
        for (const std::wstring& line : lineList.Lines())
            names.insert(line.substr(line.rfind(L'\\') + 1));
        return names;
    }

    TempDirectory root;
    ChannelDirTable table;
    SearchCriteria criteria;
    TSortStr lineList;
};

TEST_F(Win32RecordingSearchTest, ListsTheChannelsRecordingsAsLines) {
    const std::wstring base = root / L"REC3";
    const std::wstring day = base + L"\\A3F";
    MakeDirectory(base);
    MakeDirectory(day);
    const LocalTime end{2010, 3, 15, 9, 41, 3};
    CreateRecording(day + L"\\A3F93015.3", 123456, end);
    CreateRecording(day + L"\\A3F93015.1", 1, end);
    CreateRecording(day + L"\\A3F93016.3", 1, end, FILE_ATTRIBUTE_HIDDEN);
    CreateRecording(day + L"\\A3F93017.3", 1, end, FILE_ATTRIBUTE_READONLY);
    CreateRecording(day + L"\\A3F93018.3", 5'000'000'000ULL, end); // sparse
    MakeDirectory(day + L"\\A3F93019.3");
    ASSERT_TRUE(SetChannelDir(table, 2, base));
    criteria.channelTicked[2] = true;
    Search();
    EXPECT_EQ(NameSet(), (std::set<std::wstring>{L"A3F93015.3", L"A3F93017.3", L"A3F93018.3"}));
    ASSERT_EQ(lineList.Count(), 3);
    EXPECT_EQ(lineList[0], L"3  15.03.10 09:30:15  15.03.10 09:41:02  123456" +
                               std::wstring(33, L' ') + day + L"\\A3F93015.3");
    EXPECT_EQ(lineList[2].substr(40, 12), L" 5000000000 ");
    EXPECT_EQ(CurrentDirectory(), root.Path());
}

TEST_F(Win32RecordingSearchTest, MatchesDayDirectoryNamesItselfAndSkipsHiddenOnes) {
    const std::wstring base = root / L"REC1";
    MakeDirectory(base);
    const LocalTime end{2010, 3, 15, 12, 0, 0};
    for (const wchar_t* dir : {L"A3F", L"A3E", L"A3F.X", L"A3D"})
        MakeDirectory(base + L"\\" + dir);
    CreateRecording(base + L"\\A3F\\A3F10000.1", 1, end);
    CreateRecording(base + L"\\A3E\\A3F20000.1", 1, end);   // day out of range
    CreateRecording(base + L"\\A3F.X\\A3F30000.1", 1, end); // not a day directory name
    CreateRecording(base + L"\\A3D\\A3F40000.1", 1, end);
    ASSERT_TRUE(::SetFileAttributesW((base + L"\\A3D").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetChannelDir(table, 0, base));
    criteria.channelTicked[0] = true;
    criteria.from = {2010, 3, 15};
    criteria.to = {2010, 3, 31};
    Search();
    EXPECT_EQ(NameSet(), (std::set<std::wstring>{L"A3F10000.1"}));

    criteria.to = {2027, 1, 12}; // now REC1 itself (12.01.2027) is in range
    CreateRecording(base + L"\\A3F50000.1", 1, end);
    Search();
    EXPECT_EQ(NameSet(), (std::set<std::wstring>{L"A3F10000.1", L"A3F50000.1"}));
}

TEST_F(Win32RecordingSearchTest, FindsChannelsInDirectoriesNamedOutsideAscii) {
    if (::GetACP() != 1251)
        GTEST_SKIP() << "needs code page 1251";
    const std::wstring base = root / L"\u0417\u0430\u043f\u0438\u0441\u044c";
    MakeDirectory(base);
    MakeDirectory(base + L"\\A3F");
    CreateRecording(base + L"\\A3F\\A3F10000.2", 7, {2010, 3, 15, 12, 0, 0});
    ASSERT_TRUE(SetChannelDir(table, 1, base));
    criteria.channelTicked[1] = true;
    Search();
    ASSERT_EQ(lineList.Count(), 1);
    EXPECT_EQ(ListLinePath(lineList[0]), base + L"\\A3F\\A3F10000.2");
}

} // namespace
} // namespace voice
