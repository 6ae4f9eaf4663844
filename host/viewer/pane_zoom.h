// The active pane zoomed over the whole view and back, as the control's
// own double click on a pane does it.  The control has no member for it:
// ScreenMode 1 shows pane 0, whatever pane is active.  So the viewer sends
// the control the notification that a double click on the pane sends, and
// the control answers it with its own zoom.
#pragma once

#include <windows.h>

// True when the pane shown where pane `pane` of a layout of `panes` panes
// lies fills the control's view (`control_host` holds the control).
bool pane_zoomed(HWND control_host, int panes, int pane);
// Zooms pane `pane` of the layout, or puts the zoomed pane back into its
// cell; false when the control shows no pane there.
bool toggle_pane_zoom(HWND control_host, int panes, int pane);
