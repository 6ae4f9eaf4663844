// The steps the viewer takes with the control, as a host would take them:
// every member is called by name through the control's IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

// The split mode of the demonstration: panes 0 to 3 show channels 1 to 4.
constexpr int demo_panes = 4;

// Handles window messages for `milliseconds`.
void pump_for(DWORD milliseconds);
// Four panes.
void arrange_demo(IDispatch* control);
// Logs in to the server as its operator and prints the privilege mask it
// granted.
void log_in(IDispatch* control, const wchar_t* server);
// Channels 1 to 4 of the server in panes 0 to 3.
void open_demo_channels(IDispatch* control, const wchar_t* server);
// Makes pane `pane` the active one; false (and a message) when it is not.
bool activate_pane(IDispatch* control, int pane);
// A few seconds of the active pane recorded into `media`, and one snapshot;
// prints where both went.
void record_and_capture(IDispatch* control, const wchar_t* media);
// An on-screen text with date and time on pane 0, and pane 1's camera
// panned and zoomed, so the screenshot shows both beside untouched panes.
void change_settings(IDispatch* control);
