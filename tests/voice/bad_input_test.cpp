// Bad input: every case gives the real program a malformed or unusable settings file,
// channel directory, recording or playback file and checks its response (the designed
// message box, a line left out, a conversion quietly refused), and that the archive came
// out unchanged, byte for byte and time for time. docs/bad-input.md lists the cases.

#include "catalogue/win32_directory_enumerator.h"
#include "other_process.h"
#include "platform/unique_handle.h"
#include "tree_snapshot.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace voice::testing_support {
namespace {

using gui::testing::MessageBoxCatcher;

constexpr Moment kDay{2010, 3, 15};
constexpr Moment kStart{2010, 3, 15, 9, 30, 15};
constexpr Moment kEnd{2010, 3, 15, 9, 41, 2};

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetLastWrite(const std::wstring& path, const Moment& when) {
    FileHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    SYSTEMTIME st{static_cast<WORD>(when.year),
                  static_cast<WORD>(when.month),
                  0,
                  static_cast<WORD>(when.day),
                  static_cast<WORD>(when.hour),
                  static_cast<WORD>(when.minute),
                  static_cast<WORD>(when.second),
                  0};
    FILETIME local, utc;
    ::SystemTimeToFileTime(&st, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    if (!file || !::SetFileTime(file.Get(), nullptr, nullptr, &utc))
        throw std::runtime_error("cannot set a file time");
}

void PutRecording(const std::wstring& path, const std::string& bytes, const Moment& end = kEnd) {
    WriteBytes(path, bytes);
    SetLastWrite(path, end);
}

// Every byte, shared with everyone (ReadBytes stops at 64 KB).
std::string ReadAll(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return "<cannot open>";
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.Get(), &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    ::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

// The length of an existing file (a wrong result is no use printed byte by byte).
unsigned long long FileLength(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        throw std::runtime_error("no such file");
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Ordinary headerless samples: nothing in them looks like a header or a signature.
std::string Samples(size_t count) {
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(0x80 + i % 16);
    return bytes;
}

std::string Le16(unsigned value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8)};
}
std::string Le32(std::uint32_t value) {
    return Le16(value & 0xFFFF) + Le16(value >> 16);
}

// The playback file's header: PCM, mono, 8 bits, 7860 samples per second.
std::string PlaybackHeader(std::uint32_t riffSize, std::uint32_t dataSize) {
    return "RIFF" + Le32(riffSize) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(1) + Le32(7860) +
           Le32(7860) + Le16(1) + Le16(8) + "data" + Le32(dataSize);
}

std::string Signature(int kind) {
    static const unsigned char kSignatures[5][16] = {
        {0x73, 0x45, 0x41, 0x29, 0x38, 0x46, 0x88, 0x61, 0x34, 0x02, 0x70, 0x73, 0x66, 0xE0, 0x23,
         0x25},
        {0x61, 0x54, 0x35, 0x26, 0x11, 0x17, 0x33, 0x48, 0x45, 0x42, 0x89, 0xA2, 0xC0, 0x70, 0x6A,
         0x8D},
        {0x61, 0x54, 0x35, 0x26, 0x11, 0x17, 0x33, 0x48, 0x45, 0x42, 0x89, 0xA2, 0xC8, 0x78, 0x6A,
         0x8D},
        {0x61, 0x54, 0x35, 0x26, 0x11, 0x17, 0x33, 0x48, 0x45, 0x42, 0x89, 0xA2, 0xCA, 0x7A, 0x6A,
         0x8D},
        {0xE1, 0xC8, 0xA6, 0x44, 0x7E, 0x8D, 0xE3, 0x76, 0x85, 0x45, 0x32, 0x53, 0xD2, 0x2F, 0x77,
         0xF0},
    };
    const unsigned char* bytes = kSignatures[kind - 3];
    return std::string(reinterpret_cast<const char*>(bytes), 16);
}

// A WAV file whose format chunk is 18 bytes long, so "data" is not at offset 36, and
// whose chunk after it claims more bytes than the file holds: walking the chunks never
// reaches a data chunk, and the four tags are not where the plain test looks.
std::string WavWithoutReachableData() {
    const std::string format = Le16(1) + Le16(1) + Le32(7860) + Le32(7860) + Le16(1) + Le16(8) +
                               Le16(0); // cbSize: the 18-byte form
    const std::string body = "WAVE" + ("fmt " + Le32(18) + format) +
                             ("LIST" + Le32(100000) + "INFO") + ("data" + Le32(8) + Samples(8));
    return "RIFF" + Le32(static_cast<std::uint32_t>(body.size())) + body;
}

std::wstring DisplayOf(int channel, const Moment& start, const Moment& end,
                       unsigned long long size) {
    wchar_t text[96];
    swprintf(text, 96, L"%d  %02d.%02d.%02d %02d:%02d:%02d  %02d.%02d.%02d %02d:%02d:%02d  %llu",
             channel, start.day, start.month, start.year % 100, start.hour, start.minute,
             start.second, end.day, end.month, end.year % 100, end.hour, end.minute, end.second,
             size);
    return text;
}

class BadInputTest : public ::testing::Test {
public: // the case tables' lambdas prepare files through the fixture
    std::wstring Base(int channel) const {
        return archive.Path() + L"\\ch" + std::to_wstring(channel);
    }
    // The recording of channel's day kDay starting at start, its directories made.
    std::wstring RecordingPath(const std::wstring& base, int channel,
                               const Moment& start = kStart) const {
        MakeDirectory(base);
        MakeDirectory(base + L"\\" + DayDirName(start));
        return base + L"\\" + DayDirName(start) + L"\\" + RecordingName(start, channel);
    }
    std::wstring RecordingPath(int channel, const Moment& start = kStart) const {
        return RecordingPath(Base(channel), channel, start);
    }
    // Ticks the channels and lists 15 March 2010.
    static void Search(WindowDriver& window, std::initializer_list<const wchar_t*> boxes) {
        for (const wchar_t* box : boxes)
            if (!window.Checked(box))
                window.Click(box);
        window.SetDate(L"DTPicker0", 2010, 3, 15);
        window.SetDate(L"DTPicker1", 2010, 3, 15);
        window.Click(L"BtnFormList");
    }
    static void StartLine(WindowDriver& window, int index) {
        for (int i = 0; i < window.Form().LBListFiles.Count(); ++i)
            window.Form().LBListFiles.SetSelected(i, i == index);
        window.Click(L"BitBtnStart");
    }
    // What a refused conversion leaves: no sequence, no device, the line still named.
    static void ExpectQuietlyRefused(WindowDriver& window, int index) {
        EXPECT_FALSE(window.Form().SequenceActive);
        EXPECT_FALSE(window.Form().MediaPlayer1.DeviceOpen());
        EXPECT_EQ(window.Text(L"StFileName"), window.ListLines()[index].substr(0, 52));
    }
    std::string ArchiveChanges(const TreeSnapshot& before) const {
        return before.DifferencesTo(TreeSnapshot::Take(archive.Path()));
    }

    TempDirectory archive; // the recorder's tree: read, never written
    TempDirectory start;   // StartDir
};

// ---------------------------------------------------------------------------------------
// BegDir.Ini

enum class SettingsOutcome {
    Replaced,    // the default table is used and written over the file
    KeptUnused,  // the default table is used; the file (or what stands there) is untouched
    KeptAndUsed, // the file's bytes are the table; the file is untouched
};

struct SettingsCase {
    const char* name;
    // Makes "BegDir.Ini" in StartDir; channel 1's recording is made by the test.
    std::function<void(BadInputTest&, const std::wstring& iniPath)> prepare;
    SettingsOutcome outcome;
    std::vector<std::wstring> listed; // after a search of channels 1 and 3
    bool heldByAnotherProcess = false;
};

class SettingsFileTest : public BadInputTest {
public:
    std::string Table() const { return ChannelTableBytes({Base(1), L"c:\\", Base(3)}); }
};

TEST_F(SettingsFileTest, EveryUnusableSettingsFileFallsBackQuietlyAndTheArchiveStays) {
    const std::wstring line1 = DisplayOf(1, kStart, kEnd, 1000);
    constexpr Moment kStart3{2010, 3, 15, 10, 0, 0};
    const std::wstring line3 = DisplayOf(3, kStart3, kEnd, 700);
    const std::wstring oddBase = archive.Path() + L"\\ch\x98"; // 0x98: no letter in 1251
    PutRecording(RecordingPath(1), Samples(1000));
    PutRecording(RecordingPath(3, kStart3), Samples(700));
    PutRecording(RecordingPath(oddBase, 1), Samples(1000));

    const auto sized = [](size_t size) {
        return [size](BadInputTest& t, const std::wstring& ini) {
            std::string bytes = static_cast<SettingsFileTest&>(t).Table();
            while (bytes.size() < size)
                bytes += bytes;
            WriteBytes(ini, bytes.substr(0, size));
        };
    };
    const SettingsCase cases[] = {
        {"0 bytes", sized(0), SettingsOutcome::Replaced, {}},
        {"1 byte", sized(1), SettingsOutcome::Replaced, {}},
        {"2047 bytes", sized(2047), SettingsOutcome::Replaced, {}},
        {"2049 bytes", sized(2049), SettingsOutcome::Replaced, {}},
        {"4096 bytes", sized(4096), SettingsOutcome::Replaced, {}},
        {"no terminators",
         [](BadInputTest&, const std::wstring& ini) {
             std::string bytes;
             for (int k = 0; k < 8; ++k)
                 bytes += "C:\\" + std::string(253, static_cast<char>('A' + k));
             WriteBytes(ini, bytes);
         },
         SettingsOutcome::KeptAndUsed,
         {}},
        {"a byte outside code page 1251",
         [&](BadInputTest& t, const std::wstring& ini) {
             WriteBytes(ini, ChannelTableBytes({oddBase, L"c:\\", t.Base(3)}));
         },
         SettingsOutcome::KeptAndUsed,
         {line1, line3}},
        {"read-only",
         [sized](BadInputTest& t, const std::wstring& ini) {
             sized(2048)(t, ini);
             ::SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         SettingsOutcome::KeptUnused,
         {}},
        {"a directory of that name",
         [](BadInputTest&, const std::wstring& ini) {
             MakeDirectory(ini);
             WriteBytes(ini + L"\\inside.txt", "kept");
         },
         SettingsOutcome::KeptUnused,
         {}},
        {"held by another process", sized(2048), SettingsOutcome::KeptUnused, {}, true},
    };

    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory startDir;
        const std::wstring ini = startDir / L"BegDir.Ini";
        c.prepare(*this, ini);
        const std::string written = ReadAll(ini);
        const TreeSnapshot startBefore = TreeSnapshot::Take(startDir.Path());
        const TreeSnapshot archiveBefore = TreeSnapshot::Take(archive.Path());
        std::optional<HeldByAnotherProcess> holder;
        if (c.heldByAnotherProcess)
            holder.emplace(ini);

        MessageBoxCatcher boxes;
        {
            WindowDriver window(startDir.Path());
            const auto& table = window.Form().ChannelDirTable.Data();
            if (c.outcome == SettingsOutcome::KeptAndUsed) {
                EXPECT_EQ(std::string(table.begin(), table.end()), written);
            } else {
                EXPECT_EQ(table, ChannelDirTable::DefaultBytes());
            }
            Search(window, {L"ChBx1", L"ChBx3"});
            EXPECT_EQ(window.ListDisplay(), c.listed);
            if (c.outcome == SettingsOutcome::KeptUnused) {
                // "Запомнить" cannot save either: quietly, and the run keeps the entry.
                window.ClickItem(L"RgDirChan", 1);
                window.Form().DirectoryListBox1.SetDirectory(Base(3));
                window.Click(L"BitBtn1");
                EXPECT_EQ(GetChannelDir(window.Form().ChannelDirTable, 1), Base(3));
            }
            window.Close();
        }
        holder.reset();
        EXPECT_TRUE(boxes.Boxes().empty());
        if (c.outcome == SettingsOutcome::Replaced) {
            EXPECT_EQ(ReadAll(ini), ChannelTableBytes({}));
        } else {
            EXPECT_EQ(startBefore.DifferencesTo(TreeSnapshot::Take(startDir.Path())), "");
        }
        EXPECT_EQ(ArchiveChanges(archiveBefore), "");
    }
}

// ---------------------------------------------------------------------------------------
// Channel base directories

TEST_F(BadInputTest, AnUnusableBaseDirectoryYieldsNoLinesAndTheOthersStillList) {
    const std::wstring line3 = DisplayOf(3, kStart, kEnd, 700);
    PutRecording(RecordingPath(3), Samples(700));
    WriteBytes(archive / L"plain.txt", "a file, not a directory");
    struct Case {
        const char* name;
        std::wstring channel1;
    };
    const Case cases[] = {
        {"missing", archive / L"gone"},
        {"a file", archive / L"plain.txt"},
        {"a relative name", L"ch1"},
        {"empty", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory startDir;
        WriteBytes(startDir / L"BegDir.Ini", ChannelTableBytes({c.channel1, L"c:\\", Base(3)}));
        const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
        MessageBoxCatcher boxes;
        {
            WindowDriver window(startDir.Path());
            Search(window, {L"ChBx1", L"ChBx3"});
            EXPECT_EQ(window.ListDisplay(), std::vector<std::wstring>{line3});
            EXPECT_EQ(CurrentDirectory(), startDir.Path());
            window.Close();
        }
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_EQ(ArchiveChanges(before), "");
    }
}

// A one-character directory right below a drive root is scanned whatever its date; the
// root itself is the base directory as the default table has it.
TEST_F(BadInputTest, ABareDriveRootIsSearchedLikeAnyBaseDirectory) {
    const std::wstring dayDir = L"C:\\5";
    ASSERT_FALSE(Exists(dayDir)) << "C:\\5 is in the way";
    MakeDirectory(dayDir);
    struct RemoveAfter {
        std::wstring dir;
        ~RemoveAfter() {
            ::DeleteFileW((dir + L"\\" + RecordingName(kStart, 1)).c_str());
            ::RemoveDirectoryW(dir.c_str());
        }
    } removeAfter{dayDir};
    PutRecording(dayDir + L"\\" + RecordingName(kStart, 1), Samples(300));
    WriteBytes(start / L"BegDir.Ini", ChannelTableBytes({}));
    const TreeSnapshot before = TreeSnapshot::Take(dayDir);

    MessageBoxCatcher boxes;
    {
        WindowDriver window(start.Path());
        Search(window, {L"ChBx1"});
        ASSERT_EQ(window.ListDisplay(), std::vector<std::wstring>{DisplayOf(1, kStart, kEnd, 300)});
        const std::wstring path = window.ListLines()[0].substr(80);
        EXPECT_EQ(_wcsicmp(path.c_str(), (dayDir + L"\\" + RecordingName(kStart, 1)).c_str()), 0);
        StartLine(window, 0);
        EXPECT_EQ(window.Form().SequenceActive, window.Form().MediaPlayer1.DeviceOpen());
        window.Click(L"BtnClearList");
        EXPECT_EQ(ReadAll(start / L"$$$.Wav"), PlaybackHeader(336, 300) + Samples(300));
        window.Close();
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(before.DifferencesTo(TreeSnapshot::Take(dayDir)), "");
}

// Access denied cannot be made here: the tests run as root, whom Linux permissions do
// not stop, so Wine enters and lists every directory. The platform's answer (entering
// fails, or the listing finds nothing) is put in through the enumeration seam, over the
// real file system.
class DenyingEnumerator final : public DirectoryEnumerator {
public:
    enum class Denied { Entering, Listing };
    DenyingEnumerator(std::wstring dir, Denied denied) : dir_(std::move(dir)), denied_(denied) {}

    bool ChangeDirectory(const std::wstring& path) override {
        if (denied_ == Denied::Entering && IsDenied(path))
            return false;
        if (!real_.ChangeDirectory(path))
            return false;
        inDenied_ = IsDenied(path);
        return true;
    }
    bool ExpandPath(std::wstring_view name, std::wstring& fullPath) override {
        return real_.ExpandPath(name, fullPath);
    }
    void ListDirectory(std::wstring_view pattern,
                       const std::function<void(const DirectoryEntry&)>& each) override {
        if (denied_ == Denied::Listing && inDenied_)
            return;
        real_.ListDirectory(pattern, each);
    }
    std::uint64_t ToLocalFileTime(std::uint64_t utc) override { return real_.ToLocalFileTime(utc); }
    std::wstring AnsiToWideText(std::string_view ansi) override {
        return real_.AnsiToWideText(ansi);
    }

private:
    bool IsDenied(const std::wstring& path) const {
        return _wcsicmp(path.c_str(), dir_.c_str()) == 0;
    }

    Win32DirectoryEnumerator real_;
    std::wstring dir_;
    Denied denied_;
    bool inDenied_ = false;
};

TEST_F(BadInputTest, ADirectoryThatDeniesAccessYieldsNoLinesAndTheSearchGoesOn) {
    constexpr Moment kNextStart{2010, 3, 16, 7, 0, 0};
    constexpr Moment kNextEnd{2010, 3, 16, 7, 5, 0};
    PutRecording(RecordingPath(1), Samples(1000));
    PutRecording(RecordingPath(1, kNextStart), Samples(500), kNextEnd);
    PutRecording(RecordingPath(3), Samples(700));
    const std::wstring line15 = DisplayOf(1, kStart, kEnd, 1000);
    const std::wstring line16 = DisplayOf(1, kNextStart, kNextEnd, 500);
    const std::wstring line3 = DisplayOf(3, kStart, kEnd, 700);
    const std::wstring dayDir15 = Base(1) + L"\\" + DayDirName(kDay);

    ChannelDirTable table;
    ASSERT_TRUE(SetChannelDir(table, 0, Base(1)));
    ASSERT_TRUE(SetChannelDir(table, 2, Base(3)));
    SearchCriteria criteria;
    criteria.channelTicked[0] = criteria.channelTicked[2] = true;
    criteria.from = {2010, 3, 15};
    criteria.to = {2010, 3, 16};

    struct Case {
        const char* name;
        std::wstring dir;
        DenyingEnumerator::Denied denied;
        std::vector<std::wstring> listed; // sorted by start, as ordering 0 does
    };
    const Case cases[] = {
        {"base cannot be entered", Base(1), DenyingEnumerator::Denied::Entering, {line3}},
        {"base cannot be listed", Base(1), DenyingEnumerator::Denied::Listing, {line3}},
        {"day cannot be entered", dayDir15, DenyingEnumerator::Denied::Entering, {line3, line16}},
        {"day cannot be listed", dayDir15, DenyingEnumerator::Denied::Listing, {line3, line16}},
    };
    const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DenyingEnumerator enumerator(c.dir, c.denied);
        TSortStr lineList;
        lineList.SetOrderingSource([] { return 0; });
        ASSERT_NO_THROW(
            RunRecordingSearch(criteria, table, lineList, start.Path(), nullptr, enumerator));
        std::vector<std::wstring> shown;
        for (const std::wstring& line : lineList.Lines()) {
            std::wstring display = line.substr(0, 80);
            display.erase(display.find_last_not_of(L' ') + 1);
            shown.push_back(display);
        }
        EXPECT_EQ(shown, c.listed);
        EXPECT_EQ(CurrentDirectory(), start.Path());
    }
    EXPECT_EQ(ArchiveChanges(before), "");
}

// ---------------------------------------------------------------------------------------
// Recordings

struct RecordingCase {
    const char* name;
    std::string bytes;
    std::string playbackFile; // what "$$$.Wav" holds after Start
    bool opens;               // whether the player can take that file
};

TEST_F(BadInputTest, ShortAndOddRecordingsConvertAsTheirKindSays) {
    const std::string wav = WavWithoutReachableData();
    const auto size = [](const std::string& bytes) {
        return static_cast<std::uint32_t>(bytes.size());
    };
    const RecordingCase cases[] = {
        {"0 bytes", "", PlaybackHeader(36, 0), true},
        {"1 byte", Samples(1), PlaybackHeader(37, 1) + Samples(1), true},
        {"15 bytes", Samples(15), PlaybackHeader(51, 15) + Samples(15), true},
        {"signature 3 only", Signature(3), PlaybackHeader(36, 0), true},
        {"signature 4 only", Signature(4), PlaybackHeader(36, 0), true},
        {"signature 5 only", Signature(5), PlaybackHeader(36, 0), true},
        {"signature 6 only", Signature(6), PlaybackHeader(36, 0), true},
        {"signature 7 only", Signature(7), "", false},
        {"WAV whose chunks never reach data", wav, PlaybackHeader(size(wav) + 36, size(wav)) + wav,
         true},
    };
    for (const RecordingCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory startDir;
        const std::wstring recording = RecordingPath(1);
        PutRecording(recording, c.bytes);
        WriteBytes(startDir / L"BegDir.Ini", ChannelTableBytes({Base(1)}));
        const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
        MessageBoxCatcher boxes;
        {
            WindowDriver window(startDir.Path());
            Search(window, {L"ChBx1"});
            ASSERT_EQ(window.ListDisplay(),
                      std::vector<std::wstring>{DisplayOf(1, kStart, kEnd, c.bytes.size())});
            StartLine(window, 0);
            // A sequence runs only on a file the player took; some players take an empty
            // data chunk, some do not, and either way nothing is said.
            EXPECT_EQ(window.Form().SequenceActive, window.Form().MediaPlayer1.DeviceOpen());
            if (!c.opens)
                ExpectQuietlyRefused(window, 0);
            window.Click(L"BtnClearList");
            EXPECT_EQ(ReadAll(startDir / L"$$$.Wav"), c.playbackFile);
            window.Close();
        }
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_EQ(ArchiveChanges(before), "");
        ::DeleteFileW(recording.c_str());
    }
}

// Over 4 GB: the list shows the whole size, and the conversion does not write a header
// whose 32-bit sizes have wrapped (which would play a few bytes as the whole recording).
// The file is sparse: SetEndOfFile under Wine is a Linux ftruncate.
TEST_F(BadInputTest, ARecordingOver4GBIsListedWithItsSizeAndNotConverted) {
    constexpr unsigned long long kSize = (4ull << 30) + 1;
    const std::wstring recording = RecordingPath(1);
    {
        FileHandle file(::CreateFileW(recording.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(kSize);
        ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.Get()));
    }
    SetLastWrite(recording, kEnd);
    WriteBytes(start / L"BegDir.Ini", ChannelTableBytes({Base(1)}));
    const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
    MessageBoxCatcher boxes;
    {
        WindowDriver window(start.Path());
        Search(window, {L"ChBx1"});
        ASSERT_EQ(window.ListDisplay(),
                  std::vector<std::wstring>{DisplayOf(1, kStart, kEnd, kSize)});
        StartLine(window, 0);
        ExpectQuietlyRefused(window, 0);
        EXPECT_EQ(FileLength(start / L"$$$.Wav"), 0u);
        window.Close();
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ArchiveChanges(before), "");
}

TEST_F(BadInputTest, ARecordingGoneOrHeldBetweenSearchAndStartIsQuietlySkipped) {
    struct Case {
        const char* name;
        std::function<void(const std::wstring& recording)> change;
        bool heldByAnotherProcess;
    };
    const Case cases[] = {
        {"deleted", [](const std::wstring& r) { ::DeleteFileW(r.c_str()); }, false},
        {"replaced by a directory",
         [](const std::wstring& r) {
             ::DeleteFileW(r.c_str());
             MakeDirectory(r);
             WriteBytes(r + L"\\inside.txt", "kept");
         },
         false},
        {"held by another process", [](const std::wstring&) {}, true},
    };
    int caseNumber = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory startDir;
        const std::wstring base = archive / (L"case" + std::to_wstring(++caseNumber));
        const std::wstring recording = RecordingPath(base, 1);
        PutRecording(recording, Samples(1000));
        WriteBytes(startDir / L"BegDir.Ini", ChannelTableBytes({base}));
        MessageBoxCatcher boxes;
        {
            WindowDriver window(startDir.Path());
            Search(window, {L"ChBx1"});
            ASSERT_EQ(window.ListLines().size(), 1u);
            c.change(recording);
            const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
            std::optional<HeldByAnotherProcess> holder;
            if (c.heldByAnotherProcess)
                holder.emplace(recording);

            StartLine(window, 0);
            ExpectQuietlyRefused(window, 0);
            EXPECT_EQ(window.Form().RecordingHandle.GetState(), FileHandleField::State::Failed);
            holder.reset();
            EXPECT_EQ(ArchiveChanges(before), "");
            if (c.heldByAnotherProcess) {
                // Once the other program lets go, the same line plays: nothing was lost.
                StartLine(window, 0);
                EXPECT_TRUE(window.Form().SequenceActive);
                window.Click(L"BtnClearList");
                EXPECT_EQ(ReadAll(startDir / L"$$$.Wav"),
                          PlaybackHeader(1036, 1000) + Samples(1000));
            }
            window.Close();
        }
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

// ---------------------------------------------------------------------------------------
// The playback file and StartDir

TEST_F(BadInputTest, APlaybackFileThatCannotBeReplacedRefusesTheConversionQuietly) {
    const std::string old = "an old playback file";
    struct Case {
        const char* name;
        std::function<void(const std::wstring& playback)> prepare;
        bool heldByAnotherProcess;
    };
    const Case cases[] = {
        {"held by another process", [&](const std::wstring& p) { WriteBytes(p, old); }, true},
        {"read-only",
         [&](const std::wstring& p) {
             WriteBytes(p, old);
             ::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         false},
        {"a directory of that name",
         [](const std::wstring& p) {
             MakeDirectory(p);
             WriteBytes(p + L"\\inside.txt", "kept");
         },
         false},
    };
    PutRecording(RecordingPath(1), Samples(1000));
    const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory startDir;
        const std::wstring playback = startDir / L"$$$.Wav";
        WriteBytes(startDir / L"BegDir.Ini", ChannelTableBytes({Base(1)}));
        c.prepare(playback);
        const TreeSnapshot startBefore = TreeSnapshot::Take(startDir.Path());
        std::optional<HeldByAnotherProcess> holder;
        if (c.heldByAnotherProcess)
            holder.emplace(playback);
        MessageBoxCatcher boxes;
        {
            WindowDriver window(startDir.Path());
            Search(window, {L"ChBx1"});
            StartLine(window, 0);
            ExpectQuietlyRefused(window, 0);
            EXPECT_EQ(window.Form().PlaybackHandle.GetState(), FileHandleField::State::Failed);
            holder.reset();
            EXPECT_EQ(startBefore.DifferencesTo(TreeSnapshot::Take(startDir.Path())), "");
            window.Close();
        }
        EXPECT_TRUE(boxes.Boxes().empty());
        // Shutdown cannot delete what is not a writable file: it stays as it was.
        if (!c.heldByAnotherProcess) {
            EXPECT_EQ(startBefore.DifferencesTo(TreeSnapshot::Take(startDir.Path())), "");
        }
    }
    EXPECT_EQ(ArchiveChanges(before), "");
}

// StartDir on a file system mounted read-only: the settings file can be read but not
// opened for writing, so the defaults serve; "Запомнить" keeps the entry for the run;
// the playback file cannot be created.
TEST_F(BadInputTest, AReadOnlyStartDirectoryChangesNothingAndSaysNothing) {
    SmallFileSystem fs(256);
    if (!fs.Mounted())
        GTEST_SKIP() << fs.Why();
    const std::wstring startDir = fs.Path() + L"\\start";
    MakeDirectory(startDir);
    WriteBytes(startDir + L"\\BegDir.Ini", ChannelTableBytes({Base(1)}));
    if (!fs.MakeReadOnly())
        GTEST_SKIP() << "cannot remount the small file system read-only";
    PutRecording(RecordingPath(1), Samples(1000));
    const TreeSnapshot startBefore = TreeSnapshot::Take(startDir);
    const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
    MessageBoxCatcher boxes;
    {
        WindowDriver window(startDir);
        EXPECT_EQ(window.Form().ChannelDirTable.Data(), ChannelDirTable::DefaultBytes());
        window.ClickItem(L"RgDirChan", 0);
        window.Form().DirectoryListBox1.SetDirectory(Base(1));
        window.Click(L"BitBtn1");
        Search(window, {L"ChBx1"});
        ASSERT_EQ(window.ListDisplay(),
                  std::vector<std::wstring>{DisplayOf(1, kStart, kEnd, 1000)});
        StartLine(window, 0);
        ExpectQuietlyRefused(window, 0);
        EXPECT_EQ(window.Form().PlaybackHandle.GetState(), FileHandleField::State::Failed);
        window.Close();
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(startBefore.DifferencesTo(TreeSnapshot::Take(startDir)), "");
    EXPECT_EQ(ArchiveChanges(before), "");
}

// StartDir on a 256 KB file system: a 1 MB recording fills it while the playback file is
// written. The conversion is refused rather than playing the cut file as the whole one,
// and the file is emptied, so the next recording converts and plays.
TEST_F(BadInputTest, ADiskThatFillsDuringConversionRefusesItAndFreesTheSpace) {
    SmallFileSystem fs(256);
    if (!fs.Mounted())
        GTEST_SKIP() << fs.Why();
    constexpr Moment kSmallStart{2010, 3, 15, 11, 0, 0};
    const std::wstring startDir = fs.Path() + L"\\start";
    MakeDirectory(startDir);
    const std::string table = ChannelTableBytes({Base(1)});
    WriteBytes(startDir + L"\\BegDir.Ini", table);
    PutRecording(RecordingPath(1), Samples(1 << 20));
    PutRecording(RecordingPath(1, kSmallStart), Samples(2000));
    const TreeSnapshot before = TreeSnapshot::Take(archive.Path());
    MessageBoxCatcher boxes;
    {
        WindowDriver window(startDir);
        Search(window, {L"ChBx1"});
        ASSERT_EQ(window.ListLines().size(), 2u);
        StartLine(window, 0); // the 1 MB recording
        ExpectQuietlyRefused(window, 0);
        EXPECT_EQ(FileLength(startDir + L"\\$$$.Wav"), 0u); // the space is free again
        EXPECT_EQ(ReadAll(startDir + L"\\BegDir.Ini"), table);

        StartLine(window, 1);
        EXPECT_TRUE(window.Form().SequenceActive);
        window.Click(L"BtnClearList");
        EXPECT_EQ(ReadAll(startDir + L"\\$$$.Wav"), PlaybackHeader(2036, 2000) + Samples(2000));
        window.Close();
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ArchiveChanges(before), "");
}

} // namespace
} // namespace voice::testing_support
