// FFmpeg_Messages: what libavformat says about a session, kept for the
// session instead of printed.  The library's one log callback takes every
// FFmpeg message; those of a watched context at error level are handed to
// its watcher (the server's answer to a failed request, a refused address),
// everything else is dropped, so a host hears nothing from FFmpeg.
#pragma once

#include <string>

class Message_Sink {
public:
    // One error line of the watched context, without its line end; called
    // on whichever thread libavformat logged from, under the watchers' lock
    // (the sink takes no lock of its own that a forget could wait behind).
    virtual void take_error(const std::string& line) = 0;

protected:
    ~Message_Sink() = default;
};

// Installs the callback; idempotent.
void take_ffmpeg_messages();
// Hands `context`'s error lines to `sink` until forget() is called for it.
void watch_messages(const void* context, Message_Sink* sink);
void forget_messages(const void* context);
