// The wall as a view and back: its layout and, per pane, the server and
// channel it shows.
#pragma once

#include <string>

#include "view_store.h"

class Main_Window;

// What the wall shows now.  Each pane is made active in turn to read it,
// then the active pane is given back.
Wall_View capture_wall(Main_Window& window);
// Shows `view` (saved as `name`): connects the servers it needs that are
// not connected (with the kept password, or asking for it), sets the
// layout and opens each pane's channel, one server after the other.  Says
// on standard output that the view is restored, and in the status bar
// which panes did not open and why.
void restore_wall(Main_Window& window, const std::wstring& name, const Wall_View& view);
