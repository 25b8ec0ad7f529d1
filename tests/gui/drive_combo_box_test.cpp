#include "gui/drive_combo_box.h"

#include "chooser_test_support.h"
#include "gui/directory_list_box.h"
#include "platform/text.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace voice::gui {
namespace {

using chooser_test::CurrentDirectoryNow;
using chooser_test::ProcessStateKept;
using chooser_test::TempTree;

constexpr UINT kBoxId = 7;
constexpr UINT kListId = 8;

TEST(ChooserGlyphsTest, EveryGlyphIsASixteenColourBitmapOfItsSize) {
    const struct {
        const wchar_t* name;
        LONG width;
        LONG height;
    } cases[] = {{L"FLOPPY", 16, 11},        {L"HARD", 16, 11},        {L"NETWORK", 16, 11},
                 {L"CDROM", 16, 11},         {L"RAM", 16, 11},         {L"OPENFOLDER", 16, 15},
                 {L"CURRENTFOLDER", 16, 15}, {L"CLOSEDFOLDER", 16, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        HRSRC found = ::FindResourceW(nullptr, c.name, MAKEINTRESOURCEW(2)); // RT_BITMAP
        ASSERT_NE(found, nullptr);
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(nullptr, found)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, c.width);
        EXPECT_EQ(header->biHeight, c.height);
        EXPECT_EQ(header->biBitCount, 4);
    }
}

class DriveComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(::SetCurrentDirectoryW(tree_.Root().c_str())); }
    void Create() {
        box_.OnChange = [this] { ++changes_; };
        box_.Create(parent_.Handle(), kBoxId, 0, 0, 161, 22);
    }
    int IndexOf(wchar_t letter) const {
        for (int i = 0; i < box_.ItemCount(); ++i)
            if (box_.ItemText(i)[0] == letter)
                return i;
        return -1;
    }
    std::wstring SelectedText() const {
        return box_.SelectedIndex() < 0 ? L"" : box_.ItemText(box_.SelectedIndex());
    }

    ProcessStateKept kept_;
    TempTree tree_; // on C:, the prefix's drive
    testing::HostWindow parent_;
    DriveComboBox box_;
    int changes_ = 0;
};

TEST_F(DriveComboBoxTest, ListsThePrefixDriveAndTheRootDriveAsFixedInLetterOrder) {
    Create();
    const int c = IndexOf(L'c');
    const int z = IndexOf(L'z');
    ASSERT_GE(c, 0);
    ASSERT_GT(z, c);
    for (int i = 0; i < box_.ItemCount(); ++i) {
        const std::wstring text = box_.ItemText(i);
        std::wstring lower = text;
        ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
        EXPECT_EQ(text, lower);
        if (i > 0)
            EXPECT_LT(box_.ItemText(i - 1)[0], text[0]);
    }
    for (int index : {c, z}) {
        const std::wstring text = box_.ItemText(index);
        EXPECT_EQ(text.substr(1, 3), L": [");
        EXPECT_EQ(text.back(), L']');
        EXPECT_EQ(::SendMessageW(box_.Handle(), CB_GETITEMDATA, index, 0),
                  static_cast<LRESULT>(DriveKind::Fixed));
    }
}

TEST_F(DriveComboBoxTest, SettingTheDriveFollowsItsRules) {
    Create();
    const std::wstring c = box_.ItemText(IndexOf(L'c'));
    const std::wstring z = box_.ItemText(IndexOf(L'z'));
    const struct {
        wchar_t letter;
        wchar_t drive;
        std::wstring selected;
        int changes;
    } steps[] = {
        {L'C', L'c', c, 0},                     // the selected drive again, any case
        {L'Z', L'z', z, 1},                     // held in lower case
        {0, 0, L"", 1},                         // nothing selected
        {0, 0, L"", 1},                         // told again: no item is selected
        {L'z', L'z', z, 1}, {L'q', L'q', z, 1}, // no such drive: the selection stays
        {L'z', L'z', z, 1},                     // an item is selected but it was not Drive
        {L'z', L'z', z, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(static_cast<int>(step.letter));
        changes_ = 0;
        box_.SetDrive(step.letter);
        EXPECT_EQ(box_.Drive(), step.drive);
        EXPECT_EQ(SelectedText(), step.selected);
        EXPECT_EQ(changes_, step.changes);
    }
}

TEST_F(DriveComboBoxTest, ItemHeightIsTheFontsTextHeightButAtLeastTheGlyphs) {
    Create();
    for (int fontHeight : {6, 13, 24}) {
        FontHandle font(::CreateFontW(fontHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                      0, 0, L"Tahoma"));
        box_.SetFont(font.Get());
        EXPECT_EQ(::SendMessageW(box_.Handle(), CB_GETITEMHEIGHT, 0, 0),
                  std::max(chooser_test::TextHeight(box_.Handle(), font.Get()), 11))
            << fontHeight;
        box_.SetFont(nullptr);
    }
}

TEST_F(DriveComboBoxTest, DrawsTheGlyphTwoPixelsInAndCentredOverTheBackground) {
    Create();
    for (bool selected : {false, true}) {
        const chooser_test::DrawnItem drawn(parent_.Handle(), box_, ODT_COMBOBOX, IndexOf(L'c'),
                                            static_cast<ULONG_PTR>(DriveKind::Fixed), selected, 160,
                                            17);
        // HARD: black case edge at its (0, 4), transparent corner at (0, 10); its 11 rows
        // sit 3 pixels down in a 17 pixel line.
        const COLORREF background = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        EXPECT_EQ(drawn.Pixel(2, 3 + 4), RGB(0, 0, 0));
        EXPECT_EQ(drawn.Pixel(2, 3 + 10), background);
        EXPECT_EQ(drawn.Pixel(1, 3 + 4), background);
        EXPECT_EQ(drawn.Pixel(2, 2), background);
    }
}

// Other drives may take seconds to answer: the box asks only the current one until the
// list is wanted, and then shows the same items the complete list holds.
TEST_F(DriveComboBoxTest, ReadsOtherDrivesOnlyWhenTheListIsWanted) {
    const struct {
        const char* trigger;
        std::function<void(DriveComboBox&)> want;
    } cases[] = {
        {"dropped down",
         [](DriveComboBox& box) { ::SendMessageW(box.Handle(), CB_SHOWDROPDOWN, TRUE, 0); }},
        {"focused", [](DriveComboBox& box) { ::SetFocus(box.Handle()); }},
        {"another drive set", [](DriveComboBox& box) { box.SetDrive(L'z'); }},
        {"items read", [](DriveComboBox& box) { box.ItemCount(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trigger);
        DriveComboBox box;
        box.Create(parent_.Handle(), kBoxId, 0, 0, 161, 22);
        ASSERT_FALSE(box.Complete());
        ASSERT_EQ(::SendMessageW(box.Handle(), CB_GETCOUNT, 0, 0), 1);
        wchar_t shown[MAX_PATH] = {};
        ::SendMessageW(box.Handle(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(shown));
        const wchar_t drive = box.Drive();

        c.want(box);
        ::SendMessageW(box.Handle(), CB_SHOWDROPDOWN, FALSE, 0);
        EXPECT_TRUE(box.Complete());
        EXPECT_EQ(box.ItemCount(), static_cast<int>(ListDrives().size()));
        EXPECT_GE(box.ItemCount(), 2);
        if (box.Drive() == drive) // the selection survives the refill
            EXPECT_EQ(box.ItemText(box.SelectedIndex()), shown);
        else
            EXPECT_EQ(box.ItemText(box.SelectedIndex())[0], box.Drive());
    }
}

// The chooser's two handlers: each control follows the other's Drive.
class ChooserPairTest : public DriveComboBoxTest {
protected:
    void Wire() {
        box_.OnChange = [this] {
            ++changes_;
            list_.SetDrive(box_.Drive());
        };
        list_.OnChange = [this] {
            ++listChanges_;
            box_.SetDrive(list_.Drive());
        };
    }
    DirectoryListBox list_;
    int listChanges_ = 0;
};

TEST_F(ChooserPairTest, CreationInEitherOrderChangesNothing) {
    for (bool boxFirst : {true, false}) {
        SCOPED_TRACE(boxFirst);
        ProcessStateKept kept;
        DriveComboBox box;
        DirectoryListBox list;
        int boxChanges = 0, listChanges = 0;
        box.OnChange = [&] {
            ++boxChanges;
            list.SetDrive(box.Drive());
        };
        list.OnChange = [&] {
            ++listChanges;
            box.SetDrive(list.Drive());
        };
        if (boxFirst) {
            box.Create(parent_.Handle(), kBoxId, 0, 0, 161, 22);
            list.Create(parent_.Handle(), kListId, 0, 30, 261, 93);
        } else {
            list.Create(parent_.Handle(), kListId, 0, 30, 261, 93);
            box.Create(parent_.Handle(), kBoxId, 0, 0, 161, 22);
        }
        EXPECT_EQ(boxChanges, 1);
        EXPECT_EQ(listChanges, 0);
        EXPECT_EQ(list.Directory(), tree_.Root());
        EXPECT_EQ(box.Drive(), L'c');
    }
}

TEST_F(ChooserPairTest, PickingADriveMovesTheListAndTheListMovesTheBox) {
    Wire();
    list_.Create(parent_.Handle(), kListId, 0, 30, 261, 93);
    box_.Create(parent_.Handle(), kBoxId, 0, 0, 161, 22);
    ::SetEnvironmentVariableW(L"=Z:", nullptr);
    changes_ = 0;

    ::SendMessageW(box_.Handle(), CB_SETCURSEL, IndexOf(L'z'), 0);
    ::SendMessageW(parent_.Handle(), WM_COMMAND, MAKEWPARAM(kBoxId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(box_.Handle()));
    EXPECT_EQ(list_.Directory(), L"Z:\\");
    EXPECT_EQ(box_.Drive(), L'z');
    EXPECT_EQ(changes_, 1);
    EXPECT_EQ(listChanges_, 1);
    ::SendMessageW(parent_.Handle(), WM_COMMAND, MAKEWPARAM(kBoxId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(box_.Handle())); // the same item again
    EXPECT_EQ(changes_, 1);

    list_.SetDirectory(tree_.Root()); // e.g. a channel picked
    EXPECT_EQ(box_.Drive(), L'c');
    EXPECT_EQ(SelectedText()[0], L'c');
    EXPECT_EQ(changes_, 2);
    EXPECT_EQ(listChanges_, 2);
    EXPECT_EQ(CurrentDirectoryNow(), tree_.Root());
}

} // namespace
} // namespace voice::gui
