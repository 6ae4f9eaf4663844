// The steps the viewer takes with the control, as a host would take them.
#pragma once

#include <windows.h>

class kelm_ctrl;

// Handles window messages for `milliseconds`.
void pump_for(DWORD milliseconds);
// Four panes filling the frame window.
void arrange_demo(kelm_ctrl& control, HWND frame);
// Logs in to the server as its operator and prints the privilege mask it
// granted.
void log_in(kelm_ctrl& control, const wchar_t* server);
// Channels 1 to 4 of the server in panes 0 to 3.
void open_demo_channels(kelm_ctrl& control, const wchar_t* server);
// A few seconds of the active pane recorded into `media`, and one snapshot;
// prints where both went.
void record_and_capture(kelm_ctrl& control, const wchar_t* media);
// An on-screen text with date and time on pane 0, and pane 1's camera
// panned and zoomed, so the screenshot shows both beside untouched panes.
void change_settings(kelm_ctrl& control);
