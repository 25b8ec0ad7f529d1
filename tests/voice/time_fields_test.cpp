#include "voice/time_fields.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "gui/mask_edit.h"
#include "gui/up_down.h"
#include "test_host_window.h"
#endif

namespace voice {
namespace {

using enum gui::UpDownButton;

TEST(TimeFieldsTest, SteppingTheGroupUnderTheCaret) {
    const struct {
        const wchar_t* text;
        int caret;
        gui::UpDownButton direction;
        const wchar_t* stepped;
    } cases[] = {
        {L"00:00:00", 0, Up, L"01:00:00"},
        {L"00:00:00", 0, Down, L"00:00:00"},
        // Each group wraps upwards by itself; nothing carries.
        {L"23:59:59", 1, Up, L"00:59:59"},
        {L"23:59:59", 4, Up, L"23:00:59"},
        {L"23:59:59", 7, Up, L"23:59:00"},
        // A caret on a separator belongs to the group before it, after the end to seconds.
        {L"10:10:10", 2, Up, L"11:10:10"},
        {L"10:10:10", 3, Down, L"10:09:10"},
        {L"10:10:10", 5, Up, L"10:11:10"},
        {L"10:10:10", 6, Up, L"10:10:11"},
        {L"10:10:10", 8, Down, L"10:10:09"},
        // Out of range or not a number counts as 0.
        {L"99:00:00", 0, Up, L"01:00:00"},
        {L"99:00:00", 0, Down, L"00:00:00"},
        {L"24:00:00", 1, Up, L"01:00:00"},
        {L"00:60:00", 3, Up, L"00:01:00"},
        {L" 7:00:00", 0, Up, L"08:00:00"},
        {L"7 :00:00", 0, Up, L"01:00:00"},
        {L"  :00:00", 0, Up, L"01:00:00"},
        {L"00: 9:00", 4, Down, L"00:08:00"},
        {L"00:05:00", 4, Down, L"00:04:00"},
        {L"00:00:01", 7, Down, L"00:00:00"},
        {L"00:00:00", 7, Down, L"00:00:00"},
        // Only the stepped group is corrected; the others keep what they hold.
        {L"99:99:  ", 7, Up, L"99:99:01"},
        // A caret outside the field steps nothing.
        {L"12:34:56", 9, Up, L"12:34:56"},
        {L"12:34:56", -1, Up, L"12:34:56"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SteppedTimeText(c.text, c.caret, c.direction, 1), c.stepped)
            << "case " << (&c - cases);
    }
}

TEST(TimeFieldsTest, LargerStepsUseEightBitArithmetic) {
    const struct {
        const wchar_t* group;
        int limit;
        gui::UpDownButton direction;
        int step;
        const wchar_t* stepped;
    } cases[] = {
        {L"10", 59, Up, 5, L"15"},   {L"57", 59, Up, 5, L"00"},   {L"10", 59, Down, 5, L"05"},
        {L"03", 59, Down, 5, L"00"}, {L"00", 23, Down, 5, L"00"}, {L"10", 59, Up, 250, L"04"},
        {L"20", 23, Up, 240, L"04"},
    };
    for (const auto& c : cases) {
        std::wstring text = c.group;
        IncTimeGroup(text, 1, c.limit, c.direction, c.step);
        EXPECT_EQ(text, c.stepped) << "case " << (&c - cases);
    }
}

TEST(TimeFieldsTest, AShortTextIsSteppedAsIfBlankPadded) {
    EXPECT_EQ(SteppedTimeText(L"12:3", 7, Up, 1), L"12:3  01");
}

#ifdef _WIN32
// The arrows step the real field at its caret, and only when their own position moves.
TEST(TimeFieldsTest, ArrowsStepTheRealField) {
    gui::testing::HostWindow host;
    gui::MaskEdit field;
    gui::UpDown arrows;
    field.Create(host.Handle(), 1, 10, 10, 80, 21);
    arrows.Create(host.Handle(), 2, 92, 8, 21, 26);
    field.SetEnabled(true);
    arrows.SetEnabled(true);
    field.SetText(L"00:00:00");
    arrows.OnClick = [&](gui::UpDownButton direction) { IncTimeField(direction, field, arrows); };

    RECT client;
    ::GetClientRect(arrows.Handle(), &client);
    auto click = [&](gui::UpDownButton button) {
        const int y = button == Up ? client.bottom / 4 : client.bottom * 3 / 4;
        const LPARAM point = MAKELPARAM(client.right / 2, y);
        ::SendMessageW(arrows.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageW(arrows.Handle(), WM_LBUTTONUP, 0, point);
    };

    field.SetCaretPosition(4);
    click(Down); // at the arrows' minimum: nothing reaches the field
    EXPECT_EQ(field.Text(), L"00:00:00");
    click(Up);
    click(Up);
    EXPECT_EQ(field.Text(), L"00:02:00");
    EXPECT_EQ(field.CaretPosition(), 4);
    EXPECT_FALSE(field.Modified()); // stepping is the program's change, not the user's
    click(Down);
    EXPECT_EQ(field.Text(), L"00:01:00");
}
#endif

} // namespace
} // namespace voice
