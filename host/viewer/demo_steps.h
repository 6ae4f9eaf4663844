// The demonstration's steps beyond the command line: what an operator
// would do with the window's buttons, and an on-screen text.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "message_pump.h"

class Main_Window;

// The panes the demonstration fills: channels 1 to 4 in panes 0 to 3.
constexpr int demo_panes = 4;

// Makes pane `pane` the active one, as a click on it does; false (and a
// message) when it is not.
bool activate_pane(IDispatch* control, int pane);
// An on-screen text with date and time on pane 0; pane 1's camera panned
// and zoomed with the camera buttons held; pane 1 recorded for a few
// seconds and a snapshot taken, with the record and snapshot buttons.
void run_demo_steps(Main_Window& window);
