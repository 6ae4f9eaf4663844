/*
 * stream_server.h: the live stream of dvr-sim, served over RTSP by
 * GStreamer's RTSP server: channel N at rtsp://ADDRESS:PORT/live/N, logins
 * checked against the server's users (stream_login.h), one shared stream
 * per channel (channel_media.h).  How it behaves can be changed at run time
 * through the control channel (stream_behaviour.h).
 */
#ifndef KELM_SIM_STREAM_SERVER_H
#define KELM_SIM_STREAM_SERVER_H

#include <string>

struct Simulator;

/* Listens on address:port and serves the stream from a main loop on a
   thread of its own, each client on a thread of its own; false (with a
   message on stderr) when it cannot listen.  It serves until the process
   ends. */
bool start_stream_server(Simulator &sim, const std::string &address, int port);

#endif
