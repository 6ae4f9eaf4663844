// A container for the control's window in tests: a top-level host window
// with the control's dialog as its child, and a look at the control's state.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

#include "kelm_ctrl.h"

class Screen;
class Split_Layout;

// Reads the control's private state.
struct kelm_ctrl_probe {
    static const std::vector<Screen*>& screens(const kelm_ctrl& c) { return c.screens; }
    static Split_Layout* layout(const kelm_ctrl& c) { return c.layout; }
    static Screen* active_screen(const kelm_ctrl& c) { return c.active_screen; }
    static int active_index(const kelm_ctrl& c) { return c.active_index; }
    static long& privilege(kelm_ctrl& c) { return c.privilege; }
    static long error_code(const kelm_ctrl& c) { return c.error_code; }
    static short pane_channel(const kelm_ctrl& c, int i) { return c.pane_channel[i]; }
    static std::wstring pane_address(const kelm_ctrl& c, int i) { return c.pane_address[i]; }
    static bool& reconnect(kelm_ctrl& c) { return c.reconnect_lost_streams; }
};

class Control_Host {
public:
    Control_Host();   // host window shown, control window created (hidden)
    ~Control_Host();  // control window and host window destroyed

    kelm_ctrl& control() { return ctrl; }
    HWND host() const { return host_window; }
    HWND window() const { return ctrl.window(); }
    HWND pane(int index) const;

    // Sizes the control's window so that its client area is width x height.
    void resize_client(int width, int height);
    // Handles every message waiting in this thread's queue.
    static void pump();
    // Handles messages for a moment, until the display has caught up.
    static void settle();

    Control_Host(const Control_Host&) = delete;
    Control_Host& operator=(const Control_Host&) = delete;

private:
    kelm_ctrl ctrl;
    HWND host_window = nullptr;
};

// Where a child window sits in its parent's client coordinates.
RECT rect_in_parent(HWND child);
// WS_VISIBLE of the window itself, whatever its parents show.
bool has_visible_style(HWND window);
// The colour of one pixel of a window's client area, read from the screen.
COLORREF client_pixel(HWND window, int x, int y);

// The notifications a static pane with the notify style sends its parent
// for a click and for a double click.
void click_pane(HWND pane);
void double_click_pane(HWND pane);
