// The panel beside the panes, laid out from its font, the dialog font:
// rows of controls as high as the font's lines, every control at least
// as wide as its text, the server list taking the height that is left.
// Nothing of the panel is cut off at its minimum size or above.
#pragma once

#include <windows.h>

// The smallest size that shows every control of `panel` whole.
SIZE panel_minimum_size(HWND panel);
// Places the controls of `panel` for its present width and `height` (at
// least the minimum's); the server list grows with the height.
void place_panel_controls(HWND panel, int height);
