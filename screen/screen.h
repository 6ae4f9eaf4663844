// Screen: one video pane of the control's window.  It places, shows and
// hides its pane, draws the frame that marks the active pane and enlarges the
// pane to the whole view and back.
#pragma once

#include <windows.h>

class Split_Layout;

class Screen {
public:
    explicit Screen(HWND pane);  // hides the pane
    ~Screen();

    int hide();
    int show();
    int refresh();  // immediate repaint of any invalid part
    int set_rect(int x, int y, int width, int height);
    int do_draw(int x, int y, int width, int height);
    int zoom(int width, int height);
    int restore();
    int toggle_zoom(Split_Layout& layout);
    int draw_frame(bool active);  // red when active, black otherwise

    HWND window() const { return pane; }
    bool zoomed() const { return zoom_state == zoom_whole_view; }

    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

private:
    enum { zoom_in_cell = 0, zoom_whole_view = 1 };

    HWND pane;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int zoom_state = zoom_in_cell;
};
