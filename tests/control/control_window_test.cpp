// The control's window: initialisation, pane clicks and the active frame,
// the split buttons, and teardown followed by a fresh initialisation.
#include <gtest/gtest.h>

#include "control_host.h"
#include "screen.h"
#include "split_layout.h"

namespace {

const COLORREF red = RGB(255, 0, 0);
const COLORREF black = RGB(0, 0, 0);

LONG screen_mode(kelm_ctrl& control)
{
    LONG mode = -7;
    EXPECT_EQ(control.get_ScreenMode(&mode), S_OK);
    return mode;
}

void click_split_button(const Control_Host& host, int item)
{
    HWND button = GetDlgItem(host.window(), item);
    SendMessageW(host.window(), WM_COMMAND, MAKEWPARAM(item, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// The frame's left and top edges, half way along.
COLORREF frame_left(HWND pane)
{
    RECT client;
    GetClientRect(pane, &client);
    return client_pixel(pane, 0, client.bottom / 2);
}

COLORREF frame_top(HWND pane)
{
    RECT client;
    GetClientRect(pane, &client);
    return client_pixel(pane, client.right / 2, 0);
}

} // namespace

TEST(ControlWindow, InitialisationBuildsSixteenPanesWithPaneZeroActive)
{
    Control_Host host;
    kelm_ctrl& control = host.control();
    const auto& screens = kelm_ctrl_probe::screens(control);
    ASSERT_EQ(screens.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(screens[i]->window(), host.pane(i)) << "pane " << i;
    EXPECT_EQ(kelm_ctrl_probe::active_screen(control), screens[0]);
    EXPECT_EQ(kelm_ctrl_probe::active_index(control), 0);
    EXPECT_EQ(screen_mode(control), 1);
}

TEST(ControlWindow, PaneItemIdsFollowTheGridsReadingOrder)
{
    const int expected[] = {233, 234, 235, 236, 237, 238, 239, 240,
                            241, 242, 243, 244, 250, 249, 247, 248};
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(kelm_ctrl::pane_item_id(n), expected[n - 1]) << "pane number " << n;
    for (int n : {0, 17, -1, 233})
        EXPECT_EQ(kelm_ctrl::pane_item_id(n), -1) << "pane number " << n;
}

TEST(ControlWindow, ClickingPaneThirteenMovesTheRedFrameToIt)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(16), S_OK);
    click_pane(host.pane(0));
    ASSERT_EQ(frame_left(host.pane(0)), red);

    click_pane(GetDlgItem(host.window(), 249));
    EXPECT_EQ(kelm_ctrl_probe::active_index(host.control()), 13);
    EXPECT_EQ(kelm_ctrl_probe::active_screen(host.control()),
              kelm_ctrl_probe::screens(host.control())[13]);
    EXPECT_EQ(frame_left(host.pane(13)), red);
    EXPECT_EQ(frame_top(host.pane(13)), red);
    EXPECT_EQ(frame_left(host.pane(0)), black);
    EXPECT_EQ(frame_top(host.pane(0)), black);
}

TEST(ControlWindow, ActivatingTheActivePaneKeepsItsFrameRed)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    host.control().activate_screen(3);
    host.control().activate_screen(3);
    EXPECT_EQ(frame_left(host.pane(3)), red);
}

TEST(ControlWindow, ActivationOutsideTheTableChangesNothing)
{
    Control_Host host;
    kelm_ctrl& control = host.control();
    Screen* before = kelm_ctrl_probe::active_screen(control);
    control.activate_screen(16);
    control.activate_screen(-1);
    EXPECT_EQ(kelm_ctrl_probe::active_screen(control), before);
}

TEST(ControlWindow, SplitButtonsSetTheModeThroughTheGate)
{
    Control_Host host;
    host.resize_client(641, 481);
    const struct { int item; LONG mode; } buttons[] = {{231, 9}, {232, 16}, {230, 4}, {229, 1}};
    for (const auto& button : buttons) {
        click_split_button(host, button.item);
        EXPECT_EQ(screen_mode(host.control()), button.mode) << "button " << button.item;
    }

    kelm_ctrl_probe::privilege(host.control()) = 0xFFFF & ~0x10;
    click_split_button(host, 231);
    LONG mode = -7;
    EXPECT_EQ(host.control().get_ScreenMode(&mode), S_FALSE);
    EXPECT_EQ(mode, -7);
    kelm_ctrl_probe::privilege(host.control()) = -1;
    EXPECT_EQ(screen_mode(host.control()), 1);
}

TEST(ControlWindow, PaintingRefreshesEveryPaneWithoutLosingTheLayout)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    RedrawWindow(host.window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Control_Host::pump();
    EXPECT_EQ(screen_mode(host.control()), 4);
    // Panes paint on the black brush the control answers with.
    RECT client;
    GetClientRect(host.pane(1), &client);
    EXPECT_EQ(client_pixel(host.pane(1), client.right / 2, client.bottom / 2), black);
}

TEST(ControlWindow, TeardownDeletesEverythingAndANewWindowStartsFresh)
{
    Control_Host host;
    kelm_ctrl& control = host.control();
    host.resize_client(641, 481);
    ASSERT_EQ(control.put_ScreenMode(16), S_OK);
    click_pane(host.pane(5));
    ASSERT_EQ(kelm_ctrl_probe::active_index(control), 5);
    HWND old_pane = host.pane(5);

    control.destroy_window();
    EXPECT_EQ(control.window(), nullptr);
    EXPECT_TRUE(kelm_ctrl_probe::screens(control).empty());
    EXPECT_EQ(kelm_ctrl_probe::layout(control), nullptr);
    EXPECT_EQ(kelm_ctrl_probe::active_screen(control), nullptr);
    EXPECT_FALSE(IsWindow(old_pane));
    LONG mode = -7;
    EXPECT_EQ(control.get_ScreenMode(&mode), S_OK);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(control.put_ScreenMode(4), S_OK);  // no layout: nothing to change

    ASSERT_NE(control.create_window(host.host()), nullptr);
    EXPECT_EQ(kelm_ctrl_probe::screens(control).size(), 16u);
    EXPECT_EQ(kelm_ctrl_probe::active_index(control), 0);
    EXPECT_EQ(kelm_ctrl_probe::active_screen(control), kelm_ctrl_probe::screens(control)[0]);
    EXPECT_EQ(screen_mode(control), 1);
}

TEST(ControlWindow, ASecondWindowWhileOneExistsIsRefused)
{
    Control_Host host;
    EXPECT_EQ(host.control().create_window(host.host()), nullptr);
    EXPECT_EQ(kelm_ctrl_probe::screens(host.control()).size(), 16u);
}

TEST(ControlWindow, FreshControlHoldsItsInitialValues)
{
    kelm_ctrl control;
    EXPECT_EQ(kelm_ctrl_probe::privilege(control), -1);
    EXPECT_EQ(kelm_ctrl_probe::error_code(control), 0);
    EXPECT_EQ(kelm_ctrl_probe::layout(control), nullptr);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(kelm_ctrl_probe::pane_channel(control, i), -1);
        EXPECT_EQ(kelm_ctrl_probe::pane_address(control, i), L"");
    }
}
