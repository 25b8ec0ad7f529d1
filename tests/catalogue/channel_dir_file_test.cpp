#include "catalogue/channel_dir_file.h"

#include "platform/unique_handle.h"
#include "temp_directory.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace voice {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDirectory;
using testing_support::WriteBytes;

std::string DefaultImage() {
    const auto& bytes = ChannelDirTable::DefaultBytes();
    return std::string(bytes.begin(), bytes.end());
}

std::string ImageOf(const ChannelDirTable& table) {
    return std::string(table.Data().begin(), table.Data().end());
}

// An image unlike the default: every entry its own path, tails behind the terminators.
std::string CustomImage() {
    std::string image(ChannelDirTable::kSize, '\0');
    for (int k = 0; k < 8; ++k) {
        const std::string path = "D:\\REC" + std::to_string(k + 1);
        image.replace(static_cast<std::size_t>(k) * 256, path.size(), path);
        image[static_cast<std::size_t>(k) * 256 + 200] = 'T';
    }
    return image;
}

class ChannelDirFileTest : public testing::Test {
protected:
    ChannelDirFileTest() { ::SetCurrentDirectoryW(dir.Path().c_str()); }

    std::wstring IniPath() const { return dir / L"BegDir.Ini"; }

    TempDirectory dir;
    ChannelDirTable table;
};

TEST_F(ChannelDirFileTest, AValidFileIsReadAsItStands) {
    WriteBytes(IniPath(), CustomImage());
    table.SetChannelDirBytes(0, "garbage");
    LoadChannelDirTable(table);
    EXPECT_TRUE(ImageOf(table) == CustomImage());
    EXPECT_EQ(GetChannelDir(table, 7), L"D:\\REC8");
    EXPECT_TRUE(ReadBytes(IniPath()) == CustomImage());
}

TEST_F(ChannelDirFileTest, FallsBackToTheDefaultTableAndRewritesTheFile) {
    struct Case {
        const char* what;
        std::string content;
        bool present;
    };
    const Case cases[] = {
        {"missing", "", false},
        {"empty", "", true},
        {"2047 bytes", CustomImage().substr(1), true},
        {"2049 bytes", CustomImage() + "x", true},
    };
    for (const Case& c : cases) {
        ::DeleteFileW(IniPath().c_str());
        if (c.present)
            WriteBytes(IniPath(), c.content);
        table.SetChannelDirBytes(3, "D:\\OLD");
        LoadChannelDirTable(table);
        EXPECT_TRUE(ImageOf(table) == DefaultImage()) << c.what;
        EXPECT_TRUE(ReadBytes(IniPath()) == DefaultImage()) << c.what;
    }
}

TEST_F(ChannelDirFileTest, AFileThatCannotBeOpenedForWritingIsLeftAlone) {
    WriteBytes(IniPath(), CustomImage());
    ASSERT_TRUE(::SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
    LoadChannelDirTable(table);
    EXPECT_TRUE(ImageOf(table) == DefaultImage());
    EXPECT_TRUE(ReadBytes(IniPath()) == CustomImage());
    ::SetFileAttributesW(IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);

    // Held open without sharing by someone else: same outcome.
    FileHandle lock(::CreateFileW(IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    table.SetChannelDirBytes(0, "X:\\");
    LoadChannelDirTable(table);
    EXPECT_TRUE(ImageOf(table) == DefaultImage());
    lock.Reset();
    EXPECT_TRUE(ReadBytes(IniPath()) == CustomImage());
}

TEST_F(ChannelDirFileTest, ANameThatCannotBeCreatedIsSkippedSilently) {
    ASSERT_TRUE(::CreateDirectoryW(IniPath().c_str(), nullptr));
    EXPECT_NO_THROW(LoadChannelDirTable(table));
    EXPECT_TRUE(ImageOf(table) == DefaultImage());
    ASSERT_TRUE(SetChannelDir(table, 0, L"D:\\REC"));
    EXPECT_NO_THROW(SaveChannelDirTable(table, dir.Path()));
    EXPECT_NO_THROW(SaveChannelDirTable(table, dir / L"missing"));
    EXPECT_EQ(GetChannelDir(table, 0), L"D:\\REC"); // the run goes on with it
}

TEST_F(ChannelDirFileTest, SavingWritesEveryByteIncludingOldTails) {
    LoadChannelDirTable(table);
    ASSERT_TRUE(SetChannelDir(table, 2, L"D:\\REC"));
    ASSERT_TRUE(SetChannelDir(table, 0, L"D:\\RECORDS"));
    ASSERT_TRUE(SetChannelDir(table, 0, L"E:\\"));
    SaveChannelDirTable(table, dir.Path());
    std::string expected = DefaultImage();
    expected.replace(0, 11, std::string("E:\\\0ECORDS\0", 11));
    expected.replace(512, 7, std::string("D:\\REC\0", 7));
    EXPECT_TRUE(ReadBytes(IniPath()) == expected);
    EXPECT_EQ(GetChannelDir(table, 0), L"E:\\");
}

TEST_F(ChannelDirFileTest, PathsAreStoredInTheAnsiCodePage) {
    if (::GetACP() != 1251)
        GTEST_SKIP() << "needs code page 1251";
    ASSERT_TRUE(SetChannelDir(table, 1, L"D:\\\u0417\u0430\u043f\u0438\u0441\u044c"));
    EXPECT_EQ(table.GetChannelDirBytes(1), "D:\\\xC7\xE0\xEF\xE8\xF1\xFC");
    EXPECT_EQ(GetChannelDir(table, 1), L"D:\\\u0417\u0430\u043f\u0438\u0441\u044c");
}

TEST_F(ChannelDirFileTest, RefusesPathsThatDoNotFitAnEntry) {
    const ChannelDirTable::Bytes before = table.Data();
    EXPECT_FALSE(SetChannelDir(table, 0, L"D:\\" + std::wstring(253, L'a')));
    EXPECT_FALSE(SetChannelDir(table, 0, L"D:\\\u03a9")); // no Omega in the code page
    EXPECT_FALSE(SetChannelDir(table, 0, L"D:\\\u4e2d"));
    EXPECT_EQ(table.Data(), before);
    EXPECT_TRUE(SetChannelDir(table, 0, L"D:\\" + std::wstring(252, L'a')));
}

} // namespace
} // namespace voice
