// The list's export commands through the real window: the context menu, the shortcuts,
// the clipboard, and export, merge and the saved list end to end with the dialogs
// answered by the test.

#include "window_driver.h"

#include "gui/clipboard.h"
#include "held_keys.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>

namespace voice::testing_support {
namespace {

using namespace std::chrono_literals;
using gui::testing::HeldKeys;
using gui::testing::MessageBoxCatcher;
using gui::testing::PumpUntil;

const std::wstring kLine14 = L"1  14.03.10 17:00:00  14.03.10 17:05:00  700";
const std::wstring kLine15a = L"1  15.03.10 08:00:00  15.03.10 08:10:00  1000";
const std::wstring kLine15b = L"1  15.03.10 09:30:15  15.03.10 09:41:02  3000";
const std::wstring kLine15c = L"3  15.03.10 12:00:01  15.03.10 12:30:00  500";
const std::wstring kLine16 = L"3  16.03.10 06:00:00  16.03.10 06:00:40  200";

// Every file below a directory with its size and last write, to see that nothing changed.
std::map<std::wstring, std::pair<ULONGLONG, ULONGLONG>> Snapshot(const std::wstring& dir) {
    std::map<std::wstring, std::pair<ULONGLONG, ULONGLONG>> files;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = dir + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files.merge(Snapshot(path));
            files[path] = {0, 0};
        } else {
            files[path] = {(ULONGLONG{found.nFileSizeHigh} << 32) | found.nFileSizeLow,
                           (ULONGLONG{found.ftLastWriteTime.dwHighDateTime} << 32) |
                               found.ftLastWriteTime.dwLowDateTime};
        }
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return files;
}

std::vector<std::wstring> FileNames(const std::wstring& dir) {
    std::vector<std::wstring> names;
    for (const auto& [path, info] : Snapshot(dir))
        names.push_back(path.substr(dir.size() + 1));
    return names;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::size_t CountEnding(const std::vector<std::wstring>& names, const std::wstring& tail) {
    return static_cast<std::size_t>(std::count_if(
        names.begin(), names.end(), [&](const auto& n) { return EndsWith(n, tail); }));
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// What a popup menu showed: each item's text and whether it was grey.
struct ShownItem {
    std::wstring text;
    bool grey;
    bool operator==(const ShownItem&) const = default;
};

// Watches the window for its popup menu, records the items and closes the menu again.
class MenuWatcher {
public:
    explicit MenuWatcher(HWND form) : form_(form) {
        current_ = this;
        ::SetWindowSubclass(form_, &MenuWatcher::Subclass, 1, 0);
        timer_ = ::SetTimer(nullptr, 0, 50, &MenuWatcher::CloseMenu);
    }
    ~MenuWatcher() {
        ::KillTimer(nullptr, timer_);
        ::RemoveWindowSubclass(form_, &MenuWatcher::Subclass, 1);
        current_ = nullptr;
    }
    MenuWatcher(const MenuWatcher&) = delete;
    MenuWatcher& operator=(const MenuWatcher&) = delete;

    int shown = 0;
    std::vector<ShownItem> items;

private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                     DWORD_PTR) {
        if (msg == WM_INITMENUPOPUP && current_) {
            HMENU menu = reinterpret_cast<HMENU>(wp);
            current_->shown++;
            current_->items.clear();
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                wchar_t text[128] = {};
                MENUITEMINFOW info{sizeof(info)};
                info.fMask = MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
                info.dwTypeData = text;
                info.cch = 128;
                ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
                const bool separator = (info.fType & MFT_SEPARATOR) != 0;
                current_->items.push_back(
                    {separator ? L"-" : text, !separator && (info.fState & MFS_GRAYED) != 0});
            }
        }
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    // Timers go on inside the menu's own loop.
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
        if (current_ && current_->shown > 0)
            ::EndMenu();
    }

    static inline MenuWatcher* current_ = nullptr;
    HWND form_;
    UINT_PTR timer_;
};

class ExportWindowTest : public ::testing::Test {
protected:
    ExportWindowTest() {
        MakeDirectory(archive.Path() + L"\\ch1");
        MakeDirectory(archive.Path() + L"\\ch3");
        Add(1, {2010, 3, 14, 17, 0, 0}, 700, {2010, 3, 14, 17, 5, 0});
        Add(1, {2010, 3, 15, 8, 0, 0}, 1000, {2010, 3, 15, 8, 10, 0});
        Add(1, {2010, 3, 15, 9, 30, 15}, 3000, {2010, 3, 15, 9, 41, 2});
        Add(3, {2010, 3, 15, 12, 0, 1}, 500, {2010, 3, 15, 12, 30, 0});
        Add(3, {2010, 3, 16, 6, 0, 0}, 200, {2010, 3, 16, 6, 0, 40});
        WriteBytes(start / L"BegDir.Ini", ChannelTableBytes({Base(1), Base(2), Base(3)}));
        MakeDirectory(out.Path() + L"\\to");
    }

    std::wstring Base(int channel) const {
        return archive.Path() + L"\\ch" + std::to_wstring(channel);
    }
    void Add(int channel, const Moment& begin, unsigned size, const Moment& end) {
        const std::wstring dir = Base(channel) + L"\\" + DayDirName(begin);
        ::CreateDirectoryW(dir.c_str(), nullptr);
        CreateRecording(dir + L"\\" + RecordingName(begin, channel), size, end);
    }

    // The window with the archive listed and the dialogs answered by the test.
    std::unique_ptr<WindowDriver> OpenWindow() {
        auto window = std::make_unique<WindowDriver>(start.Path());
        window->Click(L"ChBx1");
        window->Click(L"ChBx3");
        window->SetDate(L"DTPicker0", 2010, 3, 14);
        window->SetDate(L"DTPicker1", 2010, 3, 16);
        window->Click(L"BtnFormList");
        auto& form = window->Form();
        form.ChooseExportFolder = [this](HWND) {
            ++dialogs;
            return folderAnswer;
        };
        form.ChooseSaveFile = [this](HWND, const gui::SaveFileRequest& request) {
            ++dialogs;
            lastRequest = request;
            return fileAnswer;
        };
        return window;
    }

    static void Select(WindowDriver& window, std::initializer_list<int> lines) {
        for (int line : lines)
            window.Form().LBListFiles.SetSelected(line, true);
    }

    // A shortcut as the user types it with the focus on a control.
    static bool PressShortcut(WindowDriver& window, const wchar_t* focus, UINT key) {
        HeldKeys held({VK_CONTROL});
        MSG msg{window.Control(focus), WM_KEYDOWN, key, 0};
        const bool used = gui::PreTranslateMessage(window.Form(), msg);
        gui::testing::Pump();
        return used;
    }

    static bool WaitForTheWork(WindowDriver& window) {
        return PumpUntil([&] { return !window.Form().ExportWork.Running(); }, 60s);
    }

    TempDirectory start;
    TempDirectory archive;
    TempDirectory out;
    int dialogs = 0;
    std::optional<std::filesystem::path> folderAnswer;
    std::optional<std::filesystem::path> fileAnswer;
    std::optional<gui::SaveFileRequest> lastRequest;
};

const std::vector<ShownItem> MenuWith(bool selection, bool lines) {
    return {{L"Экспорт выбранных записей…\tCtrl+E", !selection},
            {L"Объединить выбранные в один файл…\tCtrl+M", !selection},
            {L"Воспроизвести как было\tCtrl+Enter", !selection},
            {L"Сохранить как было…\tCtrl+Shift+Enter", !selection},
            {L"Сохранить список…\tCtrl+S", !lines},
            {L"-", false},
            {L"Копировать\tCtrl+C", !selection},
            {L"-", false},
            {L"Временная шкала…\tCtrl+T", false}, // opens even on an empty list
            // The listening aids' submenu, there whatever the list holds.
            {L"-", false},
            {L"Воспроизведение", false}};
}

TEST_F(ExportWindowTest, ContextMenuOpensByMouseAndKeysWithItemsGreyAsTheListAllows) {
    auto window = OpenWindow();
    HWND list = window->Control(L"LBListFiles");
    ASSERT_EQ(window->ListDisplay().size(), 5u);
    struct Case {
        const char* how;
        std::function<void()> open;
    };
    const Case ways[] = {
        {"right button",
         [&] {
             ::SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
             ::SendMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
         }},
        {"Menu key",
         [&] {
             ::SendMessageW(list, WM_KEYDOWN, VK_APPS, 0);
             ::SendMessageW(list, WM_KEYUP, VK_APPS, 0xC0000001);
         }},
        {"Shift+F10",
         [&] {
             HeldKeys held({VK_SHIFT});
             ::SendMessageW(list, WM_SYSKEYDOWN, VK_F10, 0);
             ::SendMessageW(list, WM_SYSKEYUP, VK_F10, 0xC0000001);
         }},
    };
    for (const Case& way : ways) {
        MenuWatcher watcher(window->Form().Handle());
        way.open();
        ASSERT_TRUE(PumpUntil([&] { return watcher.shown > 0; }, 10s)) << way.how;
        EXPECT_EQ(watcher.shown, 1) << way.how;
        EXPECT_EQ(watcher.items, MenuWith(false, true)) << way.how;
    }

    Select(*window, {1});
    {
        MenuWatcher watcher(window->Form().Handle());
        ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(30, 30));
        EXPECT_EQ(watcher.items, MenuWith(true, true));
    }
    window->Click(L"BtnClearList");
    {
        MenuWatcher watcher(window->Form().Handle());
        ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(30, 30));
        EXPECT_EQ(watcher.items, MenuWith(false, false));
    }
}

TEST_F(ExportWindowTest, CopyPutsTheSelectedLinesOnTheClipboardButNotFromATextField) {
    auto window = OpenWindow();
    HWND form = window->Form().Handle();
    ASSERT_TRUE(gui::SetClipboardText(form, L"before"));

    // Nothing selected: the commands that need a selection do nothing.
    folderAnswer = out.Path();
    fileAnswer = out / L"x.wav";
    for (UINT key : {'C', 'E', 'M'})
        EXPECT_TRUE(PressShortcut(*window, L"LBListFiles", key));
    EXPECT_EQ(gui::ClipboardText(form), L"before");
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(window->Form().ExportWork.Running());

    Select(*window, {3, 1});
    EXPECT_TRUE(PressShortcut(*window, L"BitBtnStart", 'C'));
    EXPECT_EQ(gui::ClipboardText(form), kLine15a + L"\r\n" + kLine15c + L"\r\n");

    // A time field with the focus copies its own text, not the list.
    ASSERT_TRUE(gui::SetClipboardText(form, L"before"));
    window->Click(L"BtnOnOff0");
    PressShortcut(*window, L"MEDTime0", 'C');
    EXPECT_NE(gui::ClipboardText(form), kLine15a + L"\r\n" + kLine15c + L"\r\n");

    // The menu item does the same as the shortcut.
    ::SendMessageW(form, WM_COMMAND, MAKEWPARAM(kCopySelectedCommand, 0), 0);
    EXPECT_EQ(gui::ClipboardText(form), kLine15a + L"\r\n" + kLine15c + L"\r\n");
}

TEST_F(ExportWindowTest, ExportWritesTheSelectedRecordingsAndAnIndexAndLeavesTheArchiveAlone) {
    auto window = OpenWindow();
    const auto archiveBefore = Snapshot(archive.Path());
    folderAnswer = out / L"to";
    Select(*window, {4, 0, 3});
    MessageBoxCatcher boxes;
    // Ctrl+E works wherever the focus is, a text field included.
    window->Click(L"BtnOnOff1");
    ASSERT_TRUE(PressShortcut(*window, L"MEDTime1", 'E'));
    ASSERT_TRUE(WaitForTheWork(*window));

    EXPECT_EQ(dialogs, 1);
    const auto names = FileNames(out / L"to");
    EXPECT_EQ(std::count(names.begin(), names.end(), L"K1_2010-03-14_17-00-00.wav"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), L"K3_2010-03-15_12-00-01.wav"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), L"K3_2010-03-16_06-00-00.wav"), 1);
    EXPECT_EQ(CountEnding(names, L".csv"), 1u);
    EXPECT_EQ(names.size(), 4u);
    EXPECT_EQ(CountEnding(names, L".part"), 0u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Экспорт записей");
    EXPECT_EQ(boxes.Boxes()[0].text, L"Экспортировано: 3, ошибок: 0\nПапка: " + (out / L"to"));
    EXPECT_EQ(Snapshot(archive.Path()), archiveBefore);
}

TEST_F(ExportWindowTest, MergeWritesOneWaveFileAndReportsIt) {
    auto window = OpenWindow();
    const auto archiveBefore = Snapshot(archive.Path());
    fileAnswer = out / L"all.wav";
    Select(*window, {0, 1});
    MessageBoxCatcher boxes;
    ASSERT_TRUE(PressShortcut(*window, L"LBListFiles", 'M'));
    ASSERT_TRUE(WaitForTheWork(*window));

    ASSERT_TRUE(lastRequest);
    EXPECT_EQ(lastRequest->extension, L"wav");
    EXPECT_EQ(ReadBytes(out / L"all.wav").substr(0, 4), "RIFF");
    EXPECT_EQ(FileNames(out.Path()), (std::vector<std::wstring>{L"all.wav", L"to"}));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Объединение записей");
    EXPECT_EQ(boxes.Boxes()[0].text, L"Объединено: 2, ошибок: 0\nФайл: " + (out / L"all.wav"));
    EXPECT_EQ(Snapshot(archive.Path()), archiveBefore);
}

TEST_F(ExportWindowTest, SaveAsItHappenedWritesTheMixWithItsIndexAndReportsIt) {
    auto window = OpenWindow();
    fileAnswer = out / L"incident.wav";
    Select(*window, {1, 3});
    MessageBoxCatcher boxes;
    {
        HeldKeys held({VK_CONTROL, VK_SHIFT});
        MSG msg{window->Control(L"LBListFiles"), WM_KEYDOWN, VK_RETURN, 0};
        ASSERT_TRUE(gui::PreTranslateMessage(window->Form(), msg));
    }
    ASSERT_TRUE(WaitForTheWork(*window));

    EXPECT_EQ(ReadBytes(out / L"incident.wav").substr(0, 4), "RIFF");
    const std::string csv = ReadBytes(out / L"incident.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3) << csv; // header and 2 recordings
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Записано: 2, ошибок: 0\nФайл: " + (out / L"incident.wav"));
}

TEST_F(ExportWindowTest, SaveListWritesTheWholeListWithoutABox) {
    auto window = OpenWindow();
    fileAnswer = out / L"list.csv";
    Select(*window, {2}); // the selection does not matter
    MessageBoxCatcher boxes;
    ASSERT_TRUE(PressShortcut(*window, L"LBListFiles", 'S'));
    ASSERT_TRUE(WaitForTheWork(*window));

    ASSERT_TRUE(lastRequest);
    EXPECT_EQ(lastRequest->extension, L"csv");
    const std::string csv = ReadBytes(out / L"list.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6) << csv; // header and 5 lines
    EXPECT_NE(csv.find("2010-03-16 06:00:00"), std::string::npos);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ExportWindowTest, ADialogCancelledDoesNothing) {
    auto window = OpenWindow();
    Select(*window, {0});
    window->Form().SequenceActive = true;
    for (UINT key : {'E', 'M', 'S'})
        PressShortcut(*window, L"LBListFiles", key);
    EXPECT_EQ(dialogs, 3);
    EXPECT_FALSE(window->Form().ExportWork.Running());
    EXPECT_TRUE(window->Form().SequenceActive); // playback is left alone too
}

TEST_F(ExportWindowTest, ATargetInsideTheArchiveIsRefusedWithAWarningAndNothingWritten) {
    auto window = OpenWindow();
    const auto archiveBefore = Snapshot(archive.Path());
    Select(*window, {0, 1});
    struct Case {
        UINT key;
        std::filesystem::path answer;
    };
    const Case cases[] = {
        {'E', Base(1) + L"\\out"},
        {'M', Base(3) + L"\\m.wav"},
        {'S', Base(1) + L"\\list.csv"},
    };
    for (const Case& c : cases) {
        folderAnswer = fileAnswer = c.answer;
        MessageBoxCatcher boxes;
        ASSERT_TRUE(PressShortcut(*window, L"LBListFiles", c.key));
        ASSERT_TRUE(WaitForTheWork(*window));
        ASSERT_EQ(boxes.Boxes().size(), 1u) << static_cast<char>(c.key);
        EXPECT_EQ(boxes.Boxes()[0].caption, L"Предупреждение");
        EXPECT_FALSE(boxes.Boxes()[0].text.empty());
        EXPECT_EQ(Snapshot(archive.Path()), archiveBefore) << static_cast<char>(c.key);
    }
}

// The same rule as voice-export's: every channel set up is the archive, listed or not,
// and a target is judged by the directory it names, however it is spelt.
TEST_F(ExportWindowTest, EveryChannelSetUpIsProtectedHoweverTheTargetIsSpelt) {
    MakeDirectory(Base(2)); // set up in BegDir.Ini, not ticked
    auto window = OpenWindow();
    Select(*window, {0, 1});
    std::wstring upper = Base(3);
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    struct Case {
        UINT key;
        std::wstring answer;
    };
    std::vector<Case> cases = {
        {'E', Base(2) + L"\\out"},
        {'S', Base(2) + L"\\list.csv"},
        {'M', upper + L"\\M.WAV"},
        {'E', Base(1) + L"\\..\\ch2\\new\\deeper"},
    };
    // The same folder through drive Z:, Wine's view of the Unix root.
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (char* name = unixName ? unixName(Base(2).c_str()) : nullptr) {
        std::wstring viaZ = L"Z:";
        for (const char* c = name; *c; ++c)
            viaZ += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
        ::HeapFree(::GetProcessHeap(), 0, name);
        ASSERT_NE(viaZ, Base(2));
        cases.push_back({'M', viaZ + L"\\m.wav"});
    }
    const auto archiveBefore = Snapshot(archive.Path());
    for (const Case& c : cases) {
        folderAnswer = fileAnswer = std::filesystem::path(c.answer);
        MessageBoxCatcher boxes;
        ASSERT_TRUE(PressShortcut(*window, L"LBListFiles", c.key));
        ASSERT_TRUE(WaitForTheWork(*window));
        ASSERT_EQ(boxes.Boxes().size(), 1u) << static_cast<char>(c.key);
        EXPECT_EQ(boxes.Boxes()[0].caption, L"Предупреждение");
        EXPECT_NE(boxes.Boxes()[0].text.find(L"Запись в архив запрещена"), std::wstring::npos);
        EXPECT_EQ(Snapshot(archive.Path()), archiveBefore) << static_cast<char>(c.key);
    }
    // Outside the archive, a file the save dialog has asked about is replaced, and only
    // by the complete merged file.
    WriteBytes(out / L"old.wav", "old");
    fileAnswer = out / L"old.wav";
    MessageBoxCatcher boxes;
    ASSERT_TRUE(PressShortcut(*window, L"LBListFiles", 'M'));
    ASSERT_TRUE(WaitForTheWork(*window));
    EXPECT_EQ(ReadBytes(out / L"old.wav").substr(0, 4), "RIFF");
    EXPECT_EQ(FileNames(out.Path()), (std::vector<std::wstring>{L"old.wav", L"to"}));
}

TEST_F(ExportWindowTest, ListStartAndPlayerAreLockedDuringTheWorkAndComeBackAsTheyWere) {
    auto window = OpenWindow();
    auto& form = window->Form();
    folderAnswer = out / L"to";
    Select(*window, {0, 1, 2, 3, 4});
    form.BitBtnStart.SetEnabled(false); // must stay so
    form.SequenceActive = true;
    MessageBoxCatcher boxes;
    ::SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(kExportSelectedCommand, 0), 0);

    ASSERT_TRUE(form.ExportWork.Running());
    EXPECT_FALSE(form.SequenceActive); // the command stopped playback
    for (const wchar_t* name : {L"LBListFiles", L"BitBtnStart", L"MediaPlayer1"})
        EXPECT_FALSE(window->Enabled(name)) << Narrow(name);
    EXPECT_TRUE(window->Enabled(L"BtnFormList"));
    // The menu and the shortcuts wait for the work too.
    EXPECT_FALSE(form.ListCommandAvailable(kCopySelectedCommand));

    ASSERT_TRUE(WaitForTheWork(*window));
    EXPECT_TRUE(window->Enabled(L"LBListFiles"));
    EXPECT_TRUE(window->Enabled(L"MediaPlayer1"));
    EXPECT_FALSE(window->Enabled(L"BitBtnStart"));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

// Enough recordings that the work is still at its start when the test acts.
class LongExportTest : public ExportWindowTest {
protected:
    LongExportTest() {
        MakeDirectory(Base(2));
        for (int minute = 0; minute < kCount; ++minute)
            Add(2, {2010, 3, 15, 10, minute, 0}, 40000, {2010, 3, 15, 10, minute, 30});
    }
    std::unique_ptr<WindowDriver> OpenAndStartExport() {
        auto window = OpenWindow();
        window->Click(L"ChBx1");
        window->Click(L"ChBx3");
        window->Click(L"ChBx2");
        window->Click(L"BtnFormList");
        EXPECT_EQ(window->ListLines().size(), static_cast<size_t>(kCount));
        ::SendMessageW(window->Control(L"LBListFiles"), LB_SELITEMRANGEEX, 0, kCount - 1);
        folderAnswer = out / L"to";
        ::SendMessageW(window->Form().Handle(), WM_COMMAND, MAKEWPARAM(kExportSelectedCommand, 0),
                       0);
        return window;
    }
    static constexpr int kCount = 60;
};

TEST_F(LongExportTest, CancelStopsAfterTheCurrentFileAndLeavesNoPartFile) {
    MessageBoxCatcher boxes;
    auto window = OpenAndStartExport();
    ASSERT_TRUE(window->Form().ExportWork.Running());
    ::SendMessageW(window->Form().ExportWork.Progress().CancelButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForTheWork(*window));

    const auto names = FileNames(out / L"to");
    EXPECT_EQ(CountEnding(names, L".part"), 0u);
    EXPECT_EQ(CountEnding(names, L".csv"), 1u); // the index of what was done
    EXPECT_LT(CountEnding(names, L".wav"), static_cast<size_t>(kCount));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind(L"Экспорт отменён.\nЭкспортировано: ", 0), 0u)
        << Narrow(boxes.Boxes()[0].text);
}

TEST_F(LongExportTest, ClosingTheWindowWaitsForTheWorkAndShowsNothing) {
    MessageBoxCatcher boxes;
    auto window = OpenAndStartExport();
    ASSERT_TRUE(window->Form().ExportWork.Running());
    window->Close();
    EXPECT_EQ(window->Form().Handle(), nullptr);
    EXPECT_FALSE(window->Form().ExportWork.Running());
    gui::testing::Pump();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(CountEnding(FileNames(out / L"to"), L".part"), 0u);
}

} // namespace
} // namespace voice::testing_support
