#include "gui/directory_list_box.h"

#include "chooser_test_support.h"
#include "platform/app_error.h"
#include "platform/text.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace voice::gui {
namespace {

using chooser_test::CurrentDirectoryNow;
using chooser_test::ProcessStateKept;
using chooser_test::TempTree;

constexpr UINT kListId = 42;

// ---- the lines of a directory, without touching the disk ----

struct ExpectedLine {
    const wchar_t* text;
    const wchar_t* target;
    int indent;
    FolderGlyph glyph;
};

struct LinesCase {
    const wchar_t* directory;
    std::vector<std::wstring> subdirectories;
    bool lowerCase;
    std::vector<ExpectedLine> lines;
    int own;
};

TEST(DirectoryLinesTest, PathLevelsAndSubdirectoriesOfEveryKindOfDirectory) {
    using enum FolderGlyph;
    const LinesCase cases[] = {
        {L"C:\\REC\\CH1",
         {L"Day1", L"day2"},
         false,
         {{L"C:\\", L"C:\\", 2, Open},
          {L"REC", L"C:\\REC", 6, Open},
          {L"CH1", L"C:\\REC\\CH1", 10, Current},
          {L"Day1", L"C:\\REC\\CH1\\Day1", 14, Closed},
          {L"day2", L"C:\\REC\\CH1\\day2", 14, Closed}},
         2},
        // A drive root is its own current line; subdirectories count its one separator.
        {L"C:\\",
         {L"Rec"},
         false,
         {{L"C:\\", L"C:\\", 2, Current}, {L"Rec", L"C:\\Rec", 10, Closed}},
         0},
        {L"C:\\Rec\\Ch1",
         {L"Day1"},
         true,
         {{L"c:\\", L"C:\\", 2, Open},
          {L"rec", L"C:\\Rec", 6, Open},
          {L"ch1", L"C:\\Rec\\Ch1", 10, Current},
          {L"day1", L"C:\\Rec\\Ch1\\Day1", 14, Closed}},
         2},
        // A share's root keeps the open folder: no line is marked current.
        {L"\\\\srv\\share\\",
         {L"rec"},
         false,
         {{L"\\\\srv\\share\\", L"\\\\srv\\share\\", 2, Open},
          {L"rec", L"\\\\srv\\share\\rec", 22, Closed}},
         0},
        {L"\\\\srv\\share\\rec",
         {},
         false,
         {{L"\\\\srv\\share\\", L"\\\\srv\\share\\", 2, Open},
          {L"rec", L"\\\\srv\\share\\rec", 6, Current}},
         1},
        {L"Z:\\tmp\\Записи",
         {L"Канал"},
         true,
         {{L"z:\\", L"Z:\\", 2, Open},
          {L"tmp", L"Z:\\tmp", 6, Open},
          {L"записи", L"Z:\\tmp\\Записи", 10, Current},
          {L"канал", L"Z:\\tmp\\Записи\\Канал", 14, Closed}},
         2},
    };
    for (const LinesCase& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.directory));
        const std::vector<DirectoryLine> lines =
            BuildDirectoryLines(c.directory, c.subdirectories, c.lowerCase);
        ASSERT_EQ(lines.size(), c.lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(lines[i].text, c.lines[i].text);
            EXPECT_EQ(lines[i].target, c.lines[i].target);
            EXPECT_EQ(lines[i].indent, c.lines[i].indent);
            EXPECT_EQ(lines[i].glyph, c.lines[i].glyph);
        }
        EXPECT_EQ(OwnLineIndex(c.directory), c.own);
    }
}

TEST(DirectoryLinesTest, SortsNamesIgnoringCaseOfLatinLetters) {
    const struct {
        std::vector<std::wstring> names;
        std::vector<std::wstring> sorted;
    } cases[] = {
        {{L"gamma", L"Beta", L"alpha"}, {L"alpha", L"Beta", L"gamma"}},
        {{L"b2", L"B10", L"B1"}, {L"B1", L"B10", L"b2"}},
        // a..z fold to A..Z, so "_" (after "Z") sorts after every letter.
        {{L"_old", L"zeta", L"Alpha"}, {L"Alpha", L"zeta", L"_old"}},
        // Other characters by their place in code page 1251: Ё before А, Latin first.
        {{L"Яма", L"арка", L"Ёлка", L"Zed"}, {L"Zed", L"Ёлка", L"Яма", L"арка"}},
    };
    for (auto c : cases) {
        SortNamesIgnoringCase(c.names);
        EXPECT_EQ(c.names, c.sorted);
    }
}

// ---- the real control on a real directory tree ----

class DirectoryListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.MakeDirectory(L"beta");
        tree_.MakeDirectory(L"Alpha");
        tree_.MakeDirectory(L"gamma");
        tree_.MakeDirectory(L"gamma\\inner");
        tree_.MakeDirectory(L"Hidden", FILE_ATTRIBUTE_HIDDEN);
        tree_.MakeDirectory(L"System", FILE_ATTRIBUTE_SYSTEM);
        tree_.MakeFile(L"file.txt");
        ASSERT_TRUE(::SetCurrentDirectoryW(tree_.Root().c_str()));
        list_.Create(parent_.Handle(), kListId, 0, 0, 260, 200);
        list_.OnChange = [this] { ++changes_; };
    }

    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const DirectoryLine& line : list_.Lines())
            texts.push_back(line.text);
        return texts;
    }
    std::vector<std::wstring> Shown() const {
        std::vector<std::wstring> texts;
        const int count = static_cast<int>(::SendMessageW(list_.Handle(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[MAX_PATH] = {};
            ::SendMessageW(list_.Handle(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    }
    int IndexOf(const std::wstring& text) const {
        const std::vector<std::wstring> texts = Texts();
        return static_cast<int>(std::find(texts.begin(), texts.end(), text) - texts.begin());
    }
    std::vector<std::wstring> Subdirectories() const {
        std::vector<std::wstring> texts = Texts();
        texts.erase(texts.begin(), texts.begin() + OwnLineIndex(list_.Directory()) + 1);
        return texts;
    }

    ProcessStateKept kept_;
    TempTree tree_;
    testing::HostWindow parent_;
    DirectoryListBox list_;
    int changes_ = 0;
};

TEST_F(DirectoryListBoxTest, ShowsTheCurrentDirectoryWithVisibleSubdirectoriesInOrder) {
    EXPECT_EQ(list_.Directory(), tree_.Root());
    EXPECT_EQ(Subdirectories(), (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma"}));
    EXPECT_EQ(Shown(), Texts());
    EXPECT_EQ(list_.SelectedIndex(), OwnLineIndex(tree_.Root()));
    EXPECT_EQ(list_.Lines()[static_cast<size_t>(list_.SelectedIndex())].glyph,
              FolderGlyph::Current);
    EXPECT_EQ(list_.Drive(), tree_.Root()[0]);
    EXPECT_EQ(changes_, 0);
}

TEST_F(DirectoryListBoxTest, EnteringADirectoryRebuildsSelectsAndMovesTheCurrentDirectory) {
    const struct {
        std::wstring path;
        std::wstring directory;
        std::vector<std::wstring> subdirectories;
    } steps[] = {
        {tree_.Path(L"gamma"), tree_.Path(L"gamma"), {L"inner"}},
        {L"inner", tree_.Path(L"gamma\\inner"), {}}, // relative to the directory shown
        {L"..\\..\\beta", tree_.Path(L"beta"), {}},
        {tree_.Root().substr(0, 2) + L"..", tree_.Root(), {L"Alpha", L"beta", L"gamma"}},
    };
    int expectedChanges = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(WideToUtf8(step.path.c_str()));
        list_.SetDirectory(step.path);
        EXPECT_EQ(changes_, ++expectedChanges);
        EXPECT_EQ(list_.Directory(), step.directory);
        EXPECT_EQ(CurrentDirectoryNow(), step.directory);
        EXPECT_EQ(Subdirectories(), step.subdirectories);
        EXPECT_EQ(Shown(), Texts());
        EXPECT_EQ(list_.SelectedIndex(), OwnLineIndex(step.directory));
    }
}

TEST_F(DirectoryListBoxTest, EmptyOrSameDirectoryChangesNothing) {
    std::wstring upper = tree_.Root();
    ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    for (const std::wstring& path : {std::wstring(), tree_.Root(), upper}) {
        list_.SetDirectory(path);
        EXPECT_EQ(list_.Directory(), tree_.Root());
    }
    EXPECT_EQ(changes_, 0);
}

TEST_F(DirectoryListBoxTest, FailedChangeLeavesListAndCurrentDirectoryAsTheyWere) {
    list_.SetDirectory(tree_.Path(L"gamma"));
    ::SendMessageW(list_.Handle(), LB_SETCURSEL, 0, 0); // a single click elsewhere
    changes_ = 0;
    const std::vector<std::wstring> before = Texts();
    const struct {
        std::wstring path;
        const wchar_t* text;
    } cases[] = {
        {tree_.Path(L"missing"), L"File not found"},
        {tree_.Path(L"missing\\deeper"), L"File not found"},
        {L"missing", L"File not found"},
        {tree_.Path(L"file.txt"), L"I/O error 267"},
        {L"Q:\\rec", L"Invalid filename"}, // no such drive
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.path.c_str()));
        try {
            list_.SetDirectory(c.path);
            ADD_FAILURE() << "no error";
        } catch (const InOutError& error) {
            EXPECT_EQ(error.Text(), c.text);
        }
        EXPECT_EQ(list_.Directory(), tree_.Path(L"gamma"));
        EXPECT_EQ(Texts(), before);
        EXPECT_EQ(Shown(), before);
        EXPECT_EQ(list_.SelectedIndex(), 0);
        EXPECT_EQ(CurrentDirectoryNow(), tree_.Path(L"gamma"));
    }
    EXPECT_EQ(changes_, 0);
}

TEST_F(DirectoryListBoxTest, OpeningALineEntersItsDirectory) {
    const std::wstring gamma = tree_.Path(L"gamma");
    const int own = OwnLineIndex(gamma);
    const struct {
        int line;
        std::wstring directory;
        int changes;
    } cases[] = {
        {own + 1, tree_.Path(L"gamma\\inner"), 1}, // subdirectory
        {own, gamma, 0},                           // own line
        {own - 1, tree_.Root(), 1},                // a level above
        {0, tree_.Root().substr(0, 3), 1},         // the root
    };
    for (const auto& c : cases) {
        list_.SetDirectory(gamma);
        changes_ = 0;
        list_.OpenLine(c.line);
        EXPECT_EQ(list_.Directory(), c.directory);
        EXPECT_EQ(changes_, c.changes);
    }
}

TEST_F(DirectoryListBoxTest, DoubleClickAndEnterOpenTheSelectedLineAndAClickOnlySelects) {
    const int own = OwnLineIndex(tree_.Root());
    RECT line{};
    ::SendMessageW(list_.Handle(), LB_GETITEMRECT, own + 2, reinterpret_cast<LPARAM>(&line));
    const LPARAM at = MAKELPARAM(line.left + 30, (line.top + line.bottom) / 2);
    ::SendMessageW(list_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list_.Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(list_.SelectedIndex(), own + 2);
    EXPECT_EQ(list_.Directory(), tree_.Root());

    ::SendMessageW(parent_.Handle(), WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(list_.Handle()));
    EXPECT_EQ(list_.Directory(), tree_.Path(L"beta"));

    list_.SetDirectory(tree_.Root());
    ::SendMessageW(list_.Handle(), LB_SETCURSEL, own + 3, 0);
    ::SendMessageW(list_.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(list_.Directory(), tree_.Path(L"gamma"));
    EXPECT_EQ(changes_, 3);
}

TEST_F(DirectoryListBoxTest, ARemovedSubdirectoryOpenedByDoubleClickShowsTheErrorBox) {
    const std::vector<std::wstring> before = Texts();
    ASSERT_TRUE(::RemoveDirectoryW(tree_.Path(L"beta").c_str()));
    ::SendMessageW(list_.Handle(), LB_SETCURSEL, IndexOf(L"beta"), 0);
    testing::MessageBoxCatcher boxes;
    ::SendMessageW(parent_.Handle(), WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(list_.Handle()));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"File not found.");
    EXPECT_EQ(list_.Directory(), tree_.Root());
    EXPECT_EQ(Texts(), before);
    EXPECT_EQ(CurrentDirectoryNow(), tree_.Root());
    EXPECT_EQ(changes_, 0);
}

TEST_F(DirectoryListBoxTest, ChangingDriveGoesToTheDirectoryLastUsedThereOrItsRoot) {
    ASSERT_EQ(::towupper(tree_.Root()[0]), L'C');
    ::SetEnvironmentVariableW(L"=Z:", L"Z:\\no\\such\\directory"); // used once, gone since
    list_.SetDrive(L'C');                                          // already there
    EXPECT_EQ(changes_, 0);

    list_.SetDrive(L'z');
    EXPECT_EQ(list_.Directory(), L"Z:\\");
    EXPECT_EQ(OwnLineIndex(list_.Directory()), 0);
    list_.SetDrive(L'c'); // back where the list left it
    EXPECT_EQ(list_.Directory(), tree_.Root());
    EXPECT_EQ(CurrentDirectoryNow(), tree_.Root());

    list_.SetDrive(L'z');
    ::SetEnvironmentVariableW(L"=C:", L"C:\\no\\such\\directory");
    list_.SetDirectory(tree_.Path(L"gamma")); // a path from the root does not need it
    EXPECT_EQ(list_.Directory(), tree_.Path(L"gamma"));
    EXPECT_EQ(changes_, 4);
}

TEST_F(DirectoryListBoxTest, LineHeightIsTheFontsTextHeightButAtLeastTheGlyphs) {
    for (int fontHeight : {8, 16, 30}) {
        FontHandle font(::CreateFontW(fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                                      0, 0, 0, L"Tahoma"));
        list_.SetFont(font.Get());
        EXPECT_EQ(::SendMessageW(list_.Handle(), LB_GETITEMHEIGHT, 0, 0),
                  std::max(chooser_test::TextHeight(list_.Handle(), font.Get()), 16))
            << fontHeight;
        list_.SetFont(nullptr);
    }
}

TEST_F(DirectoryListBoxTest, DrawsEachLinesGlyphAtItsIndentOverTheBackground) {
    const struct {
        int line;
        FolderGlyph glyph;
    } cases[] = {{0, FolderGlyph::Open},
                 {OwnLineIndex(tree_.Root()), FolderGlyph::Current},
                 {IndexOf(L"Alpha"), FolderGlyph::Closed}};
    for (const auto& c : cases) {
        const DirectoryLine& line = list_.Lines()[static_cast<size_t>(c.line)];
        ASSERT_EQ(line.glyph, c.glyph);
        const chooser_test::DrawnItem drawn(parent_.Handle(), list_, ODT_LISTBOX, c.line, 0, false,
                                            200, 16);
        // Every folder glyph has a black outline pixel at (0, 7) and a transparent corner.
        EXPECT_EQ(drawn.Pixel(line.indent, 7), RGB(0, 0, 0)) << c.line;
        EXPECT_EQ(drawn.Pixel(line.indent, 14), ::GetSysColor(COLOR_WINDOW)) << c.line;
        EXPECT_EQ(drawn.Pixel(line.indent - 1, 7), ::GetSysColor(COLOR_WINDOW)) << c.line;
    }
}

} // namespace
} // namespace voice::gui
