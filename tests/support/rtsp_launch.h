/*
 * rtsp_launch.h: starts rtsp-launch (the native program named by
 * KELM_RTSP_LAUNCH), a GStreamer RTSP server serving launch lines of
 * GStreamer's own elements on ADDRESS:8554.  It ends by itself after two
 * minutes: a Linux program under Wine cannot be ended from here.
 */
#pragma once

#include <string>
#include <vector>

class Rtsp_Launch {
public:
    static const unsigned short port = 8554;

    /* `mounts` are pairs of a path ("/h264") and a launch line; with a
       user, every path asks for that login. */
    Rtsp_Launch(const std::string &address, const std::vector<std::string> &mounts,
                const std::string &user = std::string(), const std::string &password = std::string());
    /* True once it accepts connections. */
    bool running() const { return listening; }

private:
    bool listening = false;
};
