// Where a channel's live stream stands, in the channel's own terms; the
// streaming library's codes are translated into these in one place
// (hik_channel_impl.cpp), so no layer above the channel reads them.
#pragma once

#include <string>

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

// Why a stream failed or ended, told apart as a person needs it.
enum class Stream_End_Kind {
    none,           // running, stopped by its host, or nothing known
    login_refused,  // 401 or 403: wrong user name or password
    not_found,      // 404 or 454: no such stream at that address
    unreachable,    // name not resolved, connection refused or unanswered
    unsupported,    // no video track, or a codec or profile not played here
    server_error,   // a 5xx answer
    ended,          // the server ended the session or closed the connection
    silent,         // nothing, or nothing decodable, came for 5 s
    failed,         // another refusal, or an answer that could not be used
};

struct Stream_Reason {
    Stream_End_Kind kind = Stream_End_Kind::none;
    // One English sentence: "rtsp://10.0.0.5:554/live/1 answered 404 Not
    // Found", "the server ended the session"; empty with kind none.
    std::string text;
};
