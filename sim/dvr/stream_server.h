/*
 * stream_server.h: the live stream of dvr-sim (protocol in
 * sim/hikclient/stream_protocol.h): a login checked against the server's
 * users, then frames of the channel at a steady rate.  How it behaves can be
 * changed at run time through the control channel.
 */
#ifndef KELM_SIM_STREAM_SERVER_H
#define KELM_SIM_STREAM_SERVER_H

#include <atomic>

struct Stream_Behaviour
{
    std::atomic<bool> refuse{false};           /* refuse every login */
    std::atomic<bool> anonymous{true};         /* accept an empty user name */
    std::atomic<int> accept_delay_ms{0};       /* wait before answering a login */
    std::atomic<int> break_after_frames{0};    /* close after this many frames; 0: never */
    std::atomic<bool> stall{false};            /* keep connections open but send no frames */
    std::atomic<int> frames_per_second{10};
    std::atomic<int> width{160};
    std::atomic<int> height{120};
    std::atomic<unsigned> frames_sent{0};      /* over all connections */
    std::atomic<unsigned> logins{0};           /* logins answered, over all connections */
};

#include <string>
#include <vector>

struct Simulator;

/* Serves one stream connection until the client leaves, the simulator
   quits or the behaviour breaks it off, then closes it. */
void serve_stream(Simulator &sim, int fd);

/* The control command "stream [FIELD VALUE]": sets one field of the
   behaviour, or with no arguments lists them all and the frames sent. */
std::string stream_command(Stream_Behaviour &behaviour, const std::vector<std::string> &words);

#endif
