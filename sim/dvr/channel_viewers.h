/*
 * channel_viewers.h: the clients playing one channel's stream, each with
 * the number of frames the channel had sent when it started, so that
 * `break-after` can break off those that have had their frames.
 */
#ifndef KELM_SIM_CHANNEL_VIEWERS_H
#define KELM_SIM_CHANNEL_VIEWERS_H

#include <gst/rtsp-server/rtsp-server.h>

#include <mutex>
#include <vector>

class Channel_Viewers
{
public:
    Channel_Viewers() = default;
    ~Channel_Viewers();
    Channel_Viewers(const Channel_Viewers &) = delete;
    Channel_Viewers &operator=(const Channel_Viewers &) = delete;

    /* The client, served on `context`, plays from now, when the channel has
       sent `frames_sent` frames (a client playing again starts afresh). */
    void add(GstRTSPClient *client, GMainContext *context, unsigned frames_sent);

    /* The client no longer plays (TEARDOWN, or its connection closed). */
    void remove(GstRTSPClient *client);

    /* True once every client that played has left: the stream is about to
       be taken down. */
    bool deserted();

    /* Closes, without a TEARDOWN, the connection of every client that has
       had `limit` frames of the `frames_sent`; none when limit is 0. */
    void break_off(unsigned frames_sent, int limit);

private:
    struct Viewer
    {
        GstRTSPClient *client;  /* a reference of ours */
        GMainContext *context;  /* a reference of ours */
        unsigned first_frame;
    };

    static void release(const Viewer &viewer);

    std::mutex mutex;
    std::vector<Viewer> viewers;
    bool played = false;
};

#endif
