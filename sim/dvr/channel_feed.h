/*
 * channel_feed.h: the pictures of one channel's running stream.  The
 * stream's appsrc asks for each picture from its streaming thread; the feed
 * waits for the picture's moment on the steady clock, draws the channel as
 * it is then (live_picture.h) and hands it over as I420, stamped with that
 * moment.  A stall holds the pictures back (once the stream has a frame
 * to be described with); a change of the stream's size reaches the running
 * encoder.  A looped stream sends frames encoded once (encoded_loop.h)
 * instead, the same way.
 */
#ifndef KELM_SIM_CHANNEL_FEED_H
#define KELM_SIM_CHANNEL_FEED_H

#include "channel_viewers.h"
#include "encoded_loop.h"
#include "picture_canvas.h"

#include <gst/app/gstappsrc.h>

#include <atomic>
#include <chrono>

struct Simulator;

/* What a stream is built with. */
struct Feed_Settings
{
    int channel;
    int frames_per_second;
    bool key_frames;  /* false: none is asked for, for a new client or after a stall */
    int loop_seconds; /* 0: pictures drawn and encoded live */
    Video_Encoding video;
};

class Channel_Feed
{
public:
    /* Feeds `source` (taking a reference to it and to the payloader) with
       the channel's pictures, raw for a live stream's encoder or encoded
       for a looped stream's payloader. */
    Channel_Feed(Simulator &sim, const Feed_Settings &settings, GstElement *source, GstElement *payloader);
    ~Channel_Feed();
    Channel_Feed(const Channel_Feed &) = delete;
    Channel_Feed &operator=(const Channel_Feed &) = delete;

    /* A client, served on `context`, starts playing: it gets a key frame
       at once, and counts its frames from now. */
    void play(GstRTSPClient *client, GMainContext *context);

    /* The client stopped playing. */
    void stop(GstRTSPClient *client);

    /* Whether a stall holds the channel's pictures back. */
    bool stalled();

    int channel_number() const { return settings.channel; }
    /* False for a looped stream whose frames could not be encoded. */
    bool ready() const { return settings.loop_seconds == 0 || loop != nullptr; }
    /* Every client that played has left. */
    bool deserted() { return viewers.deserted(); }

private:
    using Clock = std::chrono::steady_clock;

    static void need_data(GstAppSrc *source, guint length, gpointer feed);
    static GstPadProbeReturn note_first_frame(GstPad *pad, GstPadProbeInfo *info, gpointer feed);

    /* Waits until the next picture is due and no stall holds it back;
       false when the stream stops meanwhile. */
    bool wait_for_turn();
    bool stopping();
    void follow_size(int new_width, int new_height);
    GstBuffer *convert_picture();
    GstBuffer *next_picture(unsigned frame, GstClockTime at);
    bool push_picture();
    GstClockTime running_time_of(Clock::time_point moment);
    void request_key_frame();

    Simulator &sim;
    const Feed_Settings settings;
    const Clock::duration interval;
    GstAppSrc *source;
    GstPad *source_pad;
    GstElement *payloader;
    Channel_Viewers viewers;
    std::atomic<unsigned> pictures{0}; /* pushed so far: the moving bar's frame number */
    std::atomic<bool> loop_restarts{false}; /* the looped stream's next frame is its first, a key frame */
    std::atomic<bool> encoded{false};       /* a frame has reached the payloader: the stream can be described */
    gulong first_frame_probe = 0;           /* on the payloader's sink pad until then */

    /* Touched only by the streaming thread. */
    Clock::time_point due;             /* the next picture's moment */
    int width = 0, height = 0;         /* of the caps set on the source */
    Channel_Picture picture{0, 0, {}}; /* drawn again for every frame */
    Channel_Picture before{0, 0, {}};  /* the last one converted, */
    GstBuffer *before_i420 = nullptr;  /* and its I420, whose rows the next one takes where alike */
    std::unique_ptr<Encoded_Loop> loop; /* a looped stream's frames, of the current size */
    size_t loop_at = 0;                 /* the next one to send */
};

#endif
