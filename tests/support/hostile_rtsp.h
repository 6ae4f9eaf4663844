/*
 * hostile_rtsp.h: starts hostile-rtsp (the native program named by
 * KELM_HOSTILE_RTSP), an RTSP server that breaks the protocol in one way,
 * and reads what it counted from the report file it rewrites.  The server
 * ends by itself a few seconds after its last client: a Linux program
 * under Wine cannot be ended from here.
 */
#pragma once

#include <string>

/* What the server counted: connections that sent a request, DESCRIBE and
   SETUP requests, and the tracks set up in order ("video0 audio0"). */
struct Hostile_Counts {
    unsigned connections = 0;
    unsigned describes = 0;
    unsigned setups = 0;
    std::string set_up;
};

class Hostile_Rtsp {
public:
    /* `kind` is one of the server's faults ("redirect-loop", ...). */
    Hostile_Rtsp(const std::string &address, unsigned short port, const std::string &kind);
    ~Hostile_Rtsp();
    Hostile_Rtsp(const Hostile_Rtsp &) = delete;
    Hostile_Rtsp &operator=(const Hostile_Rtsp &) = delete;

    /* True once it listens. */
    bool running() const { return listening; }
    /* The counts so far. */
    Hostile_Counts counts() const;

private:
    std::string report;  // the report file's Windows path
    bool listening = false;
};
