// The media player's button bar: layout, the hit rule, presses by mouse and keyboard,
// the click events and the glyph each button shows.

#include "player_fixture.h"

#include <optional>
#include <vector>

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
            commandsBeforePostClick = mci->calls.size();
        };
    }
    // Stopped by a notification: Play enabled again.
    void BackToStopped() { Notify(MCI_NOTIFY_SUCCESSFUL); }
    void Key(WPARAM key) { ::SendMessageW(player->Handle(), WM_KEYDOWN, key, 0); }

    std::vector<TMPBtnType> clicked, postClicked;
    size_t commandsBeforePostClick = 0;
    bool allowDefault = true;
};

TEST_F(BarTest, EightButtonsShareBorderPixelsIn225) {
    RECT r{};
    ::GetWindowRect(player->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 225);
    EXPECT_EQ(r.bottom - r.top, 30);
    EXPECT_EQ(player->ButtonWidth(), 29);
    EXPECT_EQ(player->MinimumButtonSize().cx, 29);
    EXPECT_EQ(player->MinimumButtonSize().cy, 20);
}

TEST_F(BarTest, APressHitsTheFirstButtonWhoseColumnsHoldIt) {
    player->SetAutoEnable(false);
    player->SetEnabledButtons(TButtonSet::All());
    OpenDevice();
    const std::pair<int, std::optional<TMPBtnType>> cases[] = {
        {0, btPlay},    {7, btPlay},    {28, btPlay},        {29, btPlay},
        {30, btPause},  {57, btPause},  {58, btStop},        {197, btBack},
        {198, btEject}, {225, btEject}, {226, std::nullopt}, {-1, std::nullopt}};
    for (const auto& [x, expected] : cases) {
        clicked.clear();
        ClickAt(x);
        if (expected) {
            ASSERT_EQ(clicked.size(), 1u) << x;
            EXPECT_EQ(clicked[0], *expected) << x;
        } else {
            EXPECT_TRUE(clicked.empty()) << x;
        }
    }
}

TEST_F(BarTest, DisabledButtonsIgnoreTheMouse) {
    ClickAt(7); // no device: every button disabled
    EXPECT_TRUE(clicked.empty());
    EXPECT_TRUE(mci->calls.empty());

    OpenDevice();
    ClickAt(30); // Pause is not enabled before playing
    ClickAt(58); // nor Stop
    EXPECT_TRUE(clicked.empty());
    ClickAt(7);
    EXPECT_EQ(clicked, std::vector<TMPBtnType>{btPlay});
    ClickAt(30); // now it is
    EXPECT_EQ(clicked, (std::vector<TMPBtnType>{btPlay, btPause}));
}

TEST_F(BarTest, AReleaseOutsideThePressedButtonDoesNothing) {
    OpenDevice();
    const struct {
        const char* name;
        std::vector<int> moves;
        bool clicks;
    } cases[] = {
        {"still", {}, true},
        {"left it", {100}, false},
        {"left and came back", {100, 10}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clicked.clear();
        player->HandleLButtonDown(MK_LBUTTON, MAKELPARAM(7, 7));
        int x = 7;
        for (int m : c.moves) {
            ::SendMessageW(player->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(m, 7));
            x = m;
        }
        player->HandleLButtonUp(0, MAKELPARAM(x, 7));
        EXPECT_EQ(clicked.size(), c.clicks ? 1u : 0u);
        BackToStopped();
    }
}

TEST_F(BarTest, SpaceClicksTheFocusedButtonOnlyWhenItIsInEnabledButtons) {
    OpenDevice();
    ClickAt(7); // playing: Pause and Stop auto-enabled
    clicked.clear();
    mci->Clear();
    const struct {
        std::vector<WPARAM> keys;
        TMPBtnType focus;
        std::vector<TMPBtnType> clicks;
    } steps[] = {
        {{VK_RIGHT, VK_SPACE}, btPause, {}},       // auto-enabled but not in EnabledButtons
        {{VK_RIGHT, VK_SPACE}, btStop, {btStop}},  // in EnabledButtons
        {{VK_LEFT, VK_LEFT, VK_LEFT}, btPlay, {}}, // the walk ends at button 0
    };
    for (const auto& s : steps) {
        clicked.clear();
        for (WPARAM k : s.keys)
            Key(k);
        EXPECT_EQ(player->FocusedButton(), s.focus);
        EXPECT_EQ(clicked, s.clicks);
    }
    ASSERT_EQ(mci->calls.size(), 1u);
    EXPECT_EQ(mci->calls[0].command, UINT(MCI_STOP));

    ClickAt(7);
    clicked.clear();
    ClickAt(30); // a mouse press on Pause works and moves the focus there
    EXPECT_EQ(clicked, std::vector<TMPBtnType>{btPause});
    EXPECT_EQ(player->FocusedButton(), btPause);
}

TEST_F(BarTest, RightArrowSkipsInvisibleButtonsAndStopsAtTheLast) {
    const TMPBtnType expected[] = {btPause, btStop, btNext,  btPrev,
                                   btStep,  btBack, btEject, btEject};
    for (TMPBtnType e : expected) {
        Key(VK_RIGHT);
        EXPECT_EQ(player->FocusedButton(), e);
    }
}

TEST_F(BarTest, DoDefaultDecidesOnActionAndPostClick) {
    OpenDevice();
    for (bool allow : {false, true}) {
        SCOPED_TRACE(allow);
        allowDefault = allow;
        clicked.clear();
        postClicked.clear();
        BackToStopped(); // Play is disabled after every press, acted or not
        mci->Clear();
        ClickAt(7);
        EXPECT_EQ(clicked, std::vector<TMPBtnType>{btPlay});
        bool played = false;
        for (const MciCall& c : mci->calls)
            played |= c.command == MCI_PLAY;
        EXPECT_EQ(played, allow);
        EXPECT_EQ(postClicked.size(), allow ? 1u : 0u);
        if (allow) { // the action has run before OnPostClick
            EXPECT_EQ(commandsBeforePostClick, mci->calls.size());
        }
    }
}

// Pixel colour of the Play button's glyph ink, painted through WM_PRINTCLIENT.
COLORREF PlayInk(HWND player) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 225;
    info.bmiHeader.biHeight = -30; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    MemoryDc dc(screen);
    ::ReleaseDC(nullptr, screen);
    BitmapHandle bitmap(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    DcSelection selected(dc.Get(), bitmap.Get());
    ::SendMessageW(player, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    // 12 x 13 glyph centred in 29 x 30: its art column 6, row 6 is ink.
    return ::GetPixel(dc.Get(), 8 + 6, 8 + 6);
}

TEST_F(BarTest, GlyphChoiceFollowsEnablingAndColouring) {
    const COLORREF grey = RGB(0x80, 0x80, 0x80), black = RGB(0, 0, 0), green = RGB(0, 0x80, 0);
    const struct {
        const char* name;
        bool open, autoEnable, colored, controlEnabled;
        TButtonSet enabled;
        COLORREF ink;
    } cases[] = {
        {"no device, auto-enable", false, true, true, true, kThisWindowEnabled, grey},
        {"open, auto-enable", true, true, true, true, kThisWindowEnabled, green},
        {"open, not coloured", true, true, false, true, kThisWindowEnabled, black},
        {"manual, enabled", false, false, true, true, kThisWindowEnabled, green},
        {"manual, not enabled", true, false, true, true, {btStop}, grey},
        {"control disabled", true, true, true, false, kThisWindowEnabled, grey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.open)
            OpenDevice();
        else
            player->Close();
        player->SetAutoEnable(c.autoEnable);
        player->SetEnabledButtons(c.enabled);
        player->SetColoredButtons(c.colored ? TButtonSet::All() : TButtonSet{});
        ::EnableWindow(player->Handle(), c.controlEnabled);
        EXPECT_EQ(PlayInk(player->Handle()), c.ink);
        ::EnableWindow(player->Handle(), TRUE);
    }
}

} // namespace
} // namespace voice::test
