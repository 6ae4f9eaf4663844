// The keys that work on the panes: the arrow keys move the active pane
// within the layout's grid, Enter zooms it.  A control with the focus
// that uses a key keeps it: the server list, a slider or an edit field
// its arrow keys, every control of the panel its Enter.
#pragma once

#include <windows.h>

bool is_arrow_key(WPARAM key);
// The pane next to `pane` in the direction of arrow key `key`, in the grid
// of `panes` (1, 4, 9 or 16) counted along rows; `pane` itself at the
// grid's edge, and pane 0 for a pane outside the grid.
int neighbour_pane(int pane, int panes, WPARAM key);
// True when the window with the focus takes the key of `message` itself;
// `panel` is the window of the panel beside the panes.
bool focus_takes_key(const MSG& message, HWND panel);
