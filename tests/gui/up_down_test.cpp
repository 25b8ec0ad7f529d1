#include "gui/up_down.h"

#include "test_host_window.h"

#include <gtest/gtest.h>

#include <vector>

namespace voice::gui {
namespace {

using testing::HostWindow;
using testing::PumpUntil;

class UpDownTest : public ::testing::Test {
protected:
    void SetUp() override {
        arrows.Create(host.Handle(), 1, 10, 10, 21, 26);
        arrows.OnClick = [this](UpDownButton button) { clicks.push_back(button); };
        arrows.SetEnabled(true);
    }

    LPARAM PointOn(UpDownButton button) const {
        RECT client;
        ::GetClientRect(arrows.Handle(), &client);
        const int y = button == UpDownButton::Up ? client.bottom / 4 : client.bottom * 3 / 4;
        return MAKELPARAM(client.right / 2, y);
    }

    void Click(UpDownButton button, int times = 1) {
        for (int i = 0; i < times; ++i) {
            ::SendMessageW(arrows.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointOn(button));
            ::SendMessageW(arrows.Handle(), WM_LBUTTONUP, 0, PointOn(button));
        }
    }

    HostWindow host;
    UpDown arrows;
    std::vector<UpDownButton> clicks;
};

TEST_F(UpDownTest, DesignedStateAtCreation) {
    HostWindow window;
    UpDown fresh;
    fresh.Create(window.Handle(), 1, 0, 0, 21, 26);
    EXPECT_FALSE(fresh.Enabled());
    EXPECT_EQ(fresh.Position(), 0);
    EXPECT_EQ(fresh.Increment(), 1);
}

TEST_F(UpDownTest, ItsOwnPositionDecidesWhichClicksAreRaised) {
    using enum UpDownButton;
    // Fresh: the down arrow does nothing until the up arrow has been used.
    Click(Down);
    EXPECT_TRUE(clicks.empty());
    Click(Up);
    Click(Down);
    Click(Down);
    EXPECT_EQ(clicks, (std::vector{Up, Down}));
    EXPECT_EQ(arrows.Position(), 0);

    // At the maximum the up arrow stops raising the event, the down arrow does not.
    clicks.clear();
    Click(Up, UpDown::kMaximum + 5);
    EXPECT_EQ(clicks.size(), static_cast<size_t>(UpDown::kMaximum));
    EXPECT_EQ(arrows.Position(), UpDown::kMaximum);
    clicks.clear();
    Click(Down);
    EXPECT_EQ(clicks, std::vector{Down});
}

TEST_F(UpDownTest, HoldingAnArrowRepeatsTheClickOneStepAtATime) {
    ::SendMessageW(arrows.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointOn(UpDownButton::Up));
    const bool repeated = PumpUntil([this] { return clicks.size() >= 4; });
    ::SendMessageW(arrows.Handle(), WM_LBUTTONUP, 0, PointOn(UpDownButton::Up));
    ASSERT_TRUE(repeated);
    for (const UpDownButton button : clicks)
        EXPECT_EQ(button, UpDownButton::Up);
    EXPECT_EQ(arrows.Position(), static_cast<int>(clicks.size()));
}

} // namespace
} // namespace voice::gui
