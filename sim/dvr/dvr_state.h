/*
 * dvr_state.h: what the simulated DVR remembers: the settings of each channel,
 * the settings of the server, and its users.  A set operation stores what a
 * later get returns.  All access goes through the one mutex of Dvr_State,
 * since every service connection is served on a thread of its own.
 */
#ifndef KELM_SIM_DVR_STATE_H
#define KELM_SIM_DVR_STATE_H

#include "ptz_motion.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

struct Channel_Settings
{
    /* ChannelInfo-T */
    std::string name;
    int standard = 2, coderate = 0xC0000, resolution = 0, stream_type = 1;
    /* VideoPara-T */
    int brightness = 128, contrast = 64, saturation = 64, hue = 0;
    /* VideoQuantify-T */
    int iq = 18, bq = 23, pq = 18;
    /* IBPMode-T */
    int frames_in2i = 25, bframes = 0, pframes = 0, framerate = 25;
    /* OsdLogo-T */
    int ox = 0, oy = 0, lx = 0, ly = 0;
    bool date = true, time = true;
    std::string osdmsg;
    /* PtzInfo-T */
    int port = 0, ptzaddr = 1, ptztype = 0, ptzspeed = 0;
    /* what the camera was last told, where it looks, and the picture signal */
    int last_ptz_op = -1, last_ptz_range = -1;
    Ptz_Motion ptz;
    int logo_bytes = -1, logo_x = 0, logo_y = 0;
    bool signal = true;
    bool stalled = false; /* its streams stay connected and get no frames */
    int tone = 0;         /* its audio's tone in Hz; 0: its own (channel_tone.h) */
};

struct Server_Settings
{
    int channel_cnt = 16;
    std::string name = "dvr-sim";
    int svrport = 12000, cltport = 6050;
    bool recorde = false;
    /* VodInfo-T */
    int r_chnl = 255, flen = 60, almlen = 512, svdays = 7;
    std::vector<std::string> vcard_serials = {"RQ-SIM-VC-0001", "RQ-SIM-VC-0002"};
};

struct User
{
    std::string password;
    int mask;
};

class Dvr_State
{
public:
    Dvr_State();

    static const int max_channel = 255;
    static bool valid_channel(int channel) { return channel >= 1 && channel <= max_channel; }

    /* Runs f on the settings under the lock; channel must be valid.  A
       channel comes into being with its defaults when first used. */
    template <class F> auto with_channel(int channel, F f)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto made = channels.try_emplace(channel);
        if (made.second)
            made.first->second.name = "Camera " + std::to_string(channel);
        return f(made.first->second);
    }
    template <class F> auto with_server(F f)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return f(server);
    }

    /* The user's privilege mask, or -1 for an unknown user or a wrong password. */
    int logon(const std::string &user, const std::string &password);
    /* Renames oldid to newid with a new password: 0, or -1 for an unknown user. */
    int change_user(const std::string &oldid, const std::string &newid, const std::string &password);
    /* Adds a user or replaces its password and mask: 0. */
    int add_user(const std::string &user, const std::string &password, int mask);
    /* Removes a user: 0, or -1 for an unknown user. */
    int remove_user(const std::string &user);
    std::map<std::string, User> users_copy();

    /* Bytes every snapshot is padded to (0: the picture as it comes). */
    void set_snapshot_bytes(size_t bytes);
    size_t snapshot_bytes();

private:
    std::mutex mutex;
    std::map<int, Channel_Settings> channels;
    Server_Settings server;
    std::map<std::string, User> users;
    size_t padded_snapshot = 0;
};

#endif
