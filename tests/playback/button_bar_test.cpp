// The media player's button bar: layout, the hit rule, presses by mouse and keyboard,
// the click events and the glyph each button shows.

#include "player_fixture.h"

#include <optional>

namespace voice::test {
namespace {

class BarTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        player->OnClick = [this](TMPBtnType b, bool& doDefault) {
            clicked.push_back(b);
            doDefault = allowDefault;
        };
        player->OnPostClick = [this](TMPBtnType b) {
            postClicked.push_back(b);
            commandsAtPostClick = mci->calls.size();
        };
    }
    void Key(WPARAM key) { ::SendMessageW(player->Handle(), WM_KEYDOWN, key, 0); }

    std::vector<TMPBtnType> clicked, postClicked;
    size_t commandsAtPostClick = 0;
    bool allowDefault = true;
};

TEST_F(BarTest, APressHitsTheFirstButtonWhoseColumnsHoldIt) {
    RECT r{};
    ::GetWindowRect(player->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 225);
    EXPECT_EQ(player->ButtonWidth(), 29);
    EXPECT_EQ(player->MinimumButtonSize().cx, 29);
    EXPECT_EQ(player->MinimumButtonSize().cy, 20);

    player->SetAutoEnable(false);
    player->SetEnabledButtons(TButtonSet::All());
    OpenDevice();
    const std::pair<int, std::optional<TMPBtnType>> cases[] = {
        {7, btPlay},  {28, btPlay},  {29, btPlay},   {30, btPause},       {57, btPause},
        {58, btStop}, {197, btBack}, {198, btEject}, {226, std::nullopt}, {-1, std::nullopt}};
    for (const auto& [x, expected] : cases) {
        clicked.clear();
        ClickAt(x);
        EXPECT_EQ(clicked, expected ? std::vector{*expected} : std::vector<TMPBtnType>{}) << x;
    }
}

TEST_F(BarTest, DisabledButtonsIgnoreTheMouse) {
    ClickAt(7); // no device: nothing is enabled
    OpenDevice();
    ClickAt(30); // Pause is enabled only while playing
    EXPECT_TRUE(clicked.empty());
    EXPECT_TRUE(mci->calls.empty());
    ClickAt(7);
    ClickAt(30);
    EXPECT_EQ(clicked, (std::vector<TMPBtnType>{btPlay, btPause}));

    clicked.clear(); // a release away from the pressed button does nothing
    player->HandleLButtonDown(MK_LBUTTON, MAKELPARAM(58, 7));
    ::SendMessageW(player->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 7));
    player->HandleLButtonUp(0, MAKELPARAM(120, 7));
    EXPECT_TRUE(clicked.empty());
}

TEST_F(BarTest, SpaceClicksTheFocusedButtonOnlyWhenItIsInEnabledButtons) {
    OpenDevice();
    ClickAt(7); // playing: Pause and Stop enabled automatically
    clicked.clear();
    const struct {
        std::vector<WPARAM> keys;
        TMPBtnType focus;
        std::vector<TMPBtnType> clicks;
    } steps[] = {
        {{VK_RIGHT, VK_SPACE}, btPause, {}},       // not in EnabledButtons
        {{VK_RIGHT, VK_SPACE}, btStop, {btStop}},  // in EnabledButtons
        {{VK_LEFT, VK_LEFT, VK_LEFT}, btPlay, {}}, // the walk ends at the first button
        {{VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT},
         btEject,
         {}}, // Record is skipped, Eject ends it
    };
    for (const auto& s : steps) {
        clicked.clear();
        for (WPARAM k : s.keys)
            Key(k);
        EXPECT_EQ(player->FocusedButton(), s.focus);
        EXPECT_EQ(clicked, s.clicks);
    }
}

TEST_F(BarTest, DoDefaultDecidesOnActionAndPostClick) {
    OpenDevice();
    for (bool allow : {false, true}) {
        allowDefault = allow;
        Notify(MCI_NOTIFY_SUCCESSFUL); // stopped: Play enabled again after any press
        mci->calls.clear();
        ClickAt(7);
        EXPECT_EQ(mci->calls.empty() ? 0u : mci->calls.back().command, allow ? UINT(MCI_PLAY) : 0u);
        EXPECT_EQ(postClicked.size(), allow ? 1u : 0u);
    }
    EXPECT_EQ(commandsAtPostClick, mci->calls.size()); // the action ran before OnPostClick
}

// Colour of the Play glyph's ink, painted through WM_PRINTCLIENT: the 12 x 13 glyph sits
// centred in the 29 x 30 button, and its pixel (6, 6) is ink.
COLORREF PlayInk(HWND player) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 225;
    info.bmiHeader.biHeight = 30;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    MemoryDc dc(nullptr);
    BitmapHandle bitmap(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    DcSelection selected(dc.Get(), bitmap.Get());
    ::SendMessageW(player, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    return ::GetPixel(dc.Get(), 8 + 6, 8 + 6);
}

TEST_F(BarTest, GlyphChoiceFollowsEnablingAndColouring) {
    const COLORREF grey = RGB(0x80, 0x80, 0x80), black = 0, green = RGB(0, 0x80, 0);
    const struct {
        const char* name;
        bool open, autoEnable, colored, enabled, controlEnabled;
        COLORREF ink;
    } cases[] = {
        {"no device", false, true, true, true, true, grey},
        {"open", true, true, true, true, true, green},
        {"open, not coloured", true, true, false, true, true, black},
        {"by EnabledButtons", false, false, true, true, true, green},
        {"not in EnabledButtons", true, false, true, false, true, grey},
        {"control disabled", true, true, true, true, false, grey},
    };
    for (const auto& c : cases) {
        c.open ? OpenDevice() : player->Close();
        player->SetAutoEnable(c.autoEnable);
        player->SetEnabledButtons(c.enabled ? TButtonSet{btPlay} : TButtonSet{});
        player->SetColoredButtons(c.colored ? TButtonSet::All() : TButtonSet{});
        player->SetEnabled(c.controlEnabled);
        EXPECT_EQ(PlayInk(player->Handle()), c.ink) << c.name;
        player->SetEnabled(true);
    }
}

} // namespace
} // namespace voice::test
