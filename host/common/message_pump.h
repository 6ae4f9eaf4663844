// Keeping a window alive while a host waits on its own thread.
#pragma once

#include <windows.h>

// Handles this thread's window messages for `milliseconds`, waking as soon
// as one arrives.
void pump_for(DWORD milliseconds);
