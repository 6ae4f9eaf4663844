// Follows the panes of the control through its IDispatch while one of them
// loses its stream and gets it back, and prints when each changed.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>

// Watches panes 0 to `panes` - 1 (a pane is live while get_screen_state
// builds a text for it) until a pane has been lost and is live again, or
// `limit_ms` passed; `on_lost` runs once, a moment after the first loss, with
// the lost picture on screen.  True when a pane came back.
bool watch_outage(IDispatch* control, int panes, DWORD limit_ms, const std::function<void()>& on_lost);
