// Building a pane's channel: the one place that knows which channel
// implementation streams, so the panes never see the streaming library.
#pragma once

#include <windows.h>

#include "channel_records.h"

class Channel;

// A new channel for `param`; `control_window` is handed to the streaming
// library at start-up.  Null when out of memory.
Channel* make_channel(const Channel_Param& param, HWND control_window);
