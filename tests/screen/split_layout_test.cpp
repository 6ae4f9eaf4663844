// Split layouts and zoom on the real control window: which panes show and
// where they sit, read back from the windows themselves.
#include <gtest/gtest.h>

#include "control_host.h"
#include "split_layout.h"

namespace {

struct Cell {
    int x, y, width, height;
};

// Expected cells for a client area of 641 by 481 (a 640 by 480 view).
struct Grid_Case {
    LONG mode;
    int columns;
    int cell_width, cell_height;
    int xs[4];
    int ys[4];
};

const Grid_Case grids_641_by_481[] = {
    {1, 1, 640, 480, {1}, {1}},
    {4, 2, 320, 240, {1, 321}, {1, 241}},
    {9, 3, 213, 160, {1, 214, 427}, {1, 161, 321}},
    {16, 4, 160, 120, {1, 161, 321, 481}, {1, 121, 241, 361}},
};

void expect_pane_at(HWND pane, const Cell& cell, int index)
{
    const RECT rect = rect_in_parent(pane);
    EXPECT_EQ(rect.left, cell.x) << "pane " << index;
    EXPECT_EQ(rect.top, cell.y) << "pane " << index;
    EXPECT_EQ(rect.right - rect.left, cell.width) << "pane " << index;
    EXPECT_EQ(rect.bottom - rect.top, cell.height) << "pane " << index;
}

void expect_shown_panes(const Control_Host& host, int shown)
{
    for (int i = 0; i < kelm_ctrl::pane_count; ++i)
        EXPECT_EQ(has_visible_style(host.pane(i)), i < shown) << "pane " << i;
}

void expect_grid(const Control_Host& host, const Grid_Case& grid)
{
    expect_shown_panes(host, grid.columns * grid.columns);
    for (int i = 0; i < grid.columns * grid.columns; ++i) {
        const Cell cell = {grid.xs[i % grid.columns], grid.ys[i / grid.columns],
                           grid.cell_width, grid.cell_height};
        expect_pane_at(host.pane(i), cell, i);
    }
}

} // namespace

TEST(SplitLayout, PanesStayHiddenUntilTheFirstResizeShowsPaneZeroAlone)
{
    Control_Host host;
    expect_shown_panes(host, 0);
    host.resize_client(641, 481);
    expect_grid(host, grids_641_by_481[0]);
}

TEST(SplitLayout, EachModeFillsTheViewWithItsGrid)
{
    Control_Host host;
    host.resize_client(641, 481);
    for (const Grid_Case& grid : grids_641_by_481) {
        ASSERT_EQ(host.control().put_ScreenMode(grid.mode), S_OK) << "mode " << grid.mode;
        LONG mode = 0;
        ASSERT_EQ(host.control().get_ScreenMode(&mode), S_OK);
        EXPECT_EQ(mode, grid.mode);
        expect_grid(host, grid);
    }
}

TEST(SplitLayout, NinePanesInAHundredPixelsLeaveNoRemainder)
{
    Control_Host host;
    host.resize_client(100, 100);
    ASSERT_EQ(host.control().put_ScreenMode(9), S_OK);
    const Grid_Case grid = {9, 3, 33, 33, {1, 34, 67}, {1, 34, 67}};
    expect_grid(host, grid);
}

TEST(SplitLayout, BeforeAnyResizeTheViewIs640By480)
{
    Control_Host host;
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    expect_grid(host, grids_641_by_481[1]);
    double_click_pane(host.pane(1));
    expect_pane_at(host.pane(1), {0, 0, 640, 480}, 1);
}

TEST(SplitLayout, SettingTheShownModeTouchesNothing)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    // Moved aside by hand: a re-arrangement would put it back.
    MoveWindow(host.pane(3), 7, 9, 11, 13, TRUE);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    expect_pane_at(host.pane(3), {7, 9, 11, 13}, 3);
    expect_shown_panes(host, 4);
}

TEST(SplitLayout, SixteenToFourHidesTheRestAndBackShowsThemAgain)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(16), S_OK);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    expect_grid(host, grids_641_by_481[1]);
    ASSERT_EQ(host.control().put_ScreenMode(16), S_OK);
    expect_grid(host, grids_641_by_481[3]);
}

TEST(SplitLayout, AModeOutsideOneFourNineSixteenIsRefused)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(9), S_OK);
    for (LONG mode : {0L, 2L, 5L, 25L, -1L}) {
        EXPECT_EQ(host.control().put_ScreenMode(mode), S_FALSE) << "mode " << mode;
        LONG shown = 0;
        EXPECT_EQ(host.control().get_ScreenMode(&shown), S_OK);
        EXPECT_EQ(shown, 9);
    }
    expect_grid(host, grids_641_by_481[2]);
}

TEST(SplitLayout, DoubleClickZoomsAPaneAndASecondRestoresTheGrid)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);

    double_click_pane(host.pane(2));
    EXPECT_EQ(kelm_ctrl_probe::active_index(host.control()), 2);
    for (int i : {0, 1, 3})
        EXPECT_FALSE(has_visible_style(host.pane(i))) << "pane " << i;
    EXPECT_TRUE(has_visible_style(host.pane(2)));
    expect_pane_at(host.pane(2), {0, 0, 640, 480}, 2);

    double_click_pane(host.pane(2));
    expect_grid(host, grids_641_by_481[1]);
    EXPECT_EQ(kelm_ctrl_probe::active_index(host.control()), 2);
}

TEST(SplitLayout, AResizeWhileZoomedEndsTheZoom)
{
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    double_click_pane(host.pane(0));
    host.resize_client(401, 301);
    const Grid_Case grid = {4, 2, 200, 150, {1, 201}, {1, 151}};
    expect_grid(host, grid);
}

TEST(SplitLayout, SplitButtonsAndGroupBoxSitBelowTheView)
{
    Control_Host host;
    host.resize_client(641, 481);
    // Placed for the height 481 + 36.
    expect_pane_at(GetDlgItem(host.window(), 245), {2, 477, 633, 34}, 245);
    const int buttons[] = {229, 230, 231, 232};
    for (int j = 0; j < 4; ++j)
        expect_pane_at(GetDlgItem(host.window(), buttons[j]), {8 + 90 * j, 487, 70, 20}, buttons[j]);
}
