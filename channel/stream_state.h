// Where a channel's live stream stands, in the channel's own terms; the
// streaming library's codes are translated into these in one place
// (hik_channel_impl.cpp), so no layer above the channel reads them.
#pragma once

enum class Stream_State {
    none,         // no stream: never started, stopped, or paused
    connecting,   // started, no picture yet
    running,      // pictures arrive
    broken_off,   // the server closed it or fell silent
    no_signal,    // the server has no video on that channel
    unreachable,  // nothing answered at the server's stream port
    refused,      // the server refused the login or the channel
};

// A short English name for the log ("refused", "no signal", ...).
const char* stream_state_name(Stream_State state);

// True when the server answered and said no: trying again at once would
// only be refused again (and may count against the user's account).
inline bool server_said_no(Stream_State state)
{
    return state == Stream_State::refused || state == Stream_State::no_signal;
}
