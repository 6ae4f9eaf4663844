/*
 * channel_feed.cpp: the appsrc asks for a picture only when it has none
 * queued, so exactly one picture is drawn per frame, none while the stream
 * is held before its first PLAY, and none once it stops.
 */

#include "channel_feed.h"

#include "i420_picture.h"
#include "live_picture.h"
#include "simulator.h"
#include "stream_encoding.h"

#include <gst/video/video.h>

#include <algorithm>
#include <ctime>
#include <thread>
#include <utility>

namespace {

/* How often a stalled stream looks whether the stall ended or the stream
   stops; a stream waiting for its next picture looks when it is due. */
const std::chrono::milliseconds poll_interval(10);

} // namespace

Channel_Feed::Channel_Feed(Simulator &sim, const Feed_Settings &settings, GstElement *source, GstElement *payloader)
    : sim(sim), settings(settings),
      interval(std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / settings.frames_per_second),
      source(GST_APP_SRC(gst_object_ref(source))), source_pad(gst_element_get_static_pad(source, "src")),
      payloader(GST_ELEMENT(gst_object_ref(payloader))), due(Clock::now())
{
    g_object_set(source, "is-live", TRUE, "format", GST_FORMAT_TIME, nullptr);
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = need_data;
    gst_app_src_set_callbacks(this->source, &callbacks, this, nullptr);
    follow_size(sim.stream.width.load(), sim.stream.height.load());
    GstPad *encoded_in = gst_element_get_static_pad(payloader, "sink");
    first_frame_probe =
        gst_pad_add_probe(encoded_in, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                          note_first_frame, this, nullptr);
    gst_object_unref(encoded_in);
}

Channel_Feed::~Channel_Feed()
{
    if (!encoded.load()) { /* else the probe went with the first frame */
        GstPad *encoded_in = gst_element_get_static_pad(payloader, "sink");
        gst_pad_remove_probe(encoded_in, first_frame_probe);
        gst_object_unref(encoded_in);
    }
    if (before_i420)
        gst_buffer_unref(before_i420);
    gst_object_unref(source_pad);
    gst_object_unref(source);
    gst_object_unref(payloader);
}

void Channel_Feed::play(GstRTSPClient *client, GMainContext *context)
{
    viewers.add(client, context, pictures.load());
    request_key_frame();
}

void Channel_Feed::stop(GstRTSPClient *client)
{
    viewers.remove(client);
}

void Channel_Feed::need_data(GstAppSrc *, guint, gpointer feed)
{
    Channel_Feed &self = *static_cast<Channel_Feed *>(feed);
    /* The source waits for good for a picture not given here: a picture
       that cannot be made is tried again at the next moment. */
    bool pushed = false;
    while (!pushed && self.wait_for_turn())
        pushed = self.push_picture();
}

/* The first frame out of the encoder (or of the loop): from now on a
   stall holds the pictures back. */
GstPadProbeReturn Channel_Feed::note_first_frame(GstPad *, GstPadProbeInfo *, gpointer feed)
{
    static_cast<Channel_Feed *>(feed)->encoded.store(true);
    return GST_PAD_PROBE_REMOVE;
}

bool Channel_Feed::stalled()
{
    return sim.stream.stall.load()
           || sim.state.with_channel(settings.channel, [](Channel_Settings &s) { return s.stalled; });
}

/* The source's pad is flushing from the moment the stream starts to stop. */
bool Channel_Feed::stopping()
{
    return GST_PAD_IS_FLUSHING(source_pad) || sim.quitting.load();
}

bool Channel_Feed::wait_for_turn()
{
    /* Pictures go out even in a stall until the first frame comes out of
       the encoder: the stream cannot be described to its first client
       without one.  That is the first picture, but for an encoder that
       holds pictures back to put B pictures before them. */
    bool held = false;
    for (Clock::time_point now = Clock::now(); now < due || (encoded.load() && stalled()); now = Clock::now()) {
        if (stopping())
            return false;
        held = held || now >= due;
        std::this_thread::sleep_for(now < due ? due - now : Clock::duration(poll_interval));
    }
    if (held)
        request_key_frame(); /* frames resume with a picture that stands on its own */
    return !stopping();
}

/* A camera whose size is changed goes on with pictures of the new size:
   the encoder starts afresh from the new caps, with new parameter sets; a
   looped stream encodes its frames again at the new size (and keeps the
   old ones if that fails). */
void Channel_Feed::follow_size(int new_width, int new_height)
{
    if (new_width == width && new_height == height)
        return;
    if (settings.loop_seconds) {
        auto resized = encode_loop(sim.state, Loop_Request{settings.channel, new_width, new_height,
                                                           settings.frames_per_second, settings.loop_seconds,
                                                           settings.video});
        if (!resized)
            return;
        loop = std::move(resized);
        loop_at = 0;
        gst_app_src_set_caps(source, loop->caps());
    } else {
        GstCaps *caps = i420_caps(new_width, new_height, settings.frames_per_second);
        gst_app_src_set_caps(source, caps);
        gst_caps_unref(caps);
    }
    width = new_width;
    height = new_height;
}

/* The picture drawn as I420 into a new buffer (null without memory),
   reusing the rows it has alike with the one before. */
GstBuffer *Channel_Feed::convert_picture()
{
    GstBuffer *buffer = gst_buffer_new_allocate(nullptr, i420_size(width, height), nullptr);
    GstMapInfo out, reused;
    if (!buffer || !gst_buffer_map(buffer, &out, GST_MAP_WRITE)) {
        if (buffer)
            gst_buffer_unref(buffer);
        return nullptr;
    }
    const bool reuse = before_i420 && gst_buffer_map(before_i420, &reused, GST_MAP_READ);
    to_i420(picture, out.data, reuse ? &before : nullptr, reuse ? reused.data : nullptr);
    if (reuse)
        gst_buffer_unmap(before_i420, &reused);
    gst_buffer_unmap(buffer, &out);
    std::swap(picture, before);
    gst_buffer_replace(&before_i420, buffer);
    return buffer;
}

/* Frame `frame`, stamped with the running time `at` it is due at: the
   looped stream's next one, decoded then, or the channel drawn now.  A
   looped stream begins again where no B picture is left to send. */
GstBuffer *Channel_Feed::next_picture(unsigned frame, GstClockTime at)
{
    if (settings.loop_seconds) {
        if (!loop)
            return nullptr;
        if (loop_restarts.load() && loop->ends_group_before(loop_at)) {
            loop_restarts.store(false);
            loop_at = 0;
        }
        return loop->frame(loop_at++, at);
    }
    picture.width = width;
    picture.height = height;
    draw_live_picture(sim.state, settings.channel, std::time(nullptr), frame, picture);
    GstBuffer *buffer = convert_picture();
    if (buffer)
        GST_BUFFER_PTS(buffer) = at;
    return buffer;
}

/* True when the picture went to the source (or was dropped by a stream
   that stops); false when it could not be made. */
bool Channel_Feed::push_picture()
{
    const unsigned frame = pictures.load();
    /* Before the next picture, so that the last one due has gone out. */
    viewers.break_off(frame, sim.stream.break_after_frames.load());
    /* The picture's moment is when it was due; after a wait of more than
       an interval (held before the first PLAY, or in a stall) it is now,
       and the pictures go on from there rather than in a burst. */
    const Clock::time_point now = Clock::now();
    const Clock::time_point moment = now - due < interval ? due : now;
    due = moment + interval;
    follow_size(sim.stream.width.load(), sim.stream.height.load());
    GstBuffer *buffer = next_picture(frame, running_time_of(moment));
    if (!buffer)
        return false;
    GST_BUFFER_DURATION(buffer) = std::chrono::duration_cast<std::chrono::nanoseconds>(interval).count();
    if (gst_app_src_push_buffer(source, buffer) == GST_FLOW_OK) {
        pictures.store(frame + 1);
        sim.stream.frames_sent.fetch_add(1);
    }
    return true;
}

/* The pipeline's running time at `moment` (a moment past), so that the
   pictures are stamped at the steady pace they are due at, whatever the
   delay of each push; none while the pipeline has no clock. */
GstClockTime Channel_Feed::running_time_of(Clock::time_point moment)
{
    GstClock *clock = gst_element_get_clock(GST_ELEMENT(source));
    if (!clock)
        return GST_CLOCK_TIME_NONE;
    const GstClockTime now = gst_clock_get_time(clock) - gst_element_get_base_time(GST_ELEMENT(source));
    gst_object_unref(clock);
    const GstClockTime age = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - moment).count();
    return now > age ? now - age : 0;
}

/* Asks the encoder, upstream through the payloader, to make the next
   frame a key frame, with its parameter sets unless they go in the SDP
   alone (the payloader would send them before it); a looped stream starts
   its loop again. */
void Channel_Feed::request_key_frame()
{
    if (!settings.key_frames)
        return;
    if (settings.loop_seconds) {
        loop_restarts.store(true);
        return;
    }
    const gboolean with_parameter_sets = settings.video.parameter_sets != Stream_Parameter_Sets::sdp;
    GstEvent *event = gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, with_parameter_sets, 0);
    (void)gst_element_send_event(payloader, event); /* false for an encoder that makes nothing but key frames */
}
