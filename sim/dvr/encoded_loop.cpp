/*
 * encoded_loop.cpp: the pictures go through a pipeline of their own,
 * appsrc, encoder and appsink, as fast as the encoder takes them; the
 * caller waits for its end of stream.  The frames are kept in the order the
 * encoder gives them, their decoding order, with the encoder's stamps, so
 * that B pictures keep their place when the frames are sent again.
 */

#include "encoded_loop.h"

#include "i420_picture.h"
#include "live_picture.h"
#include "stream_encoding.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

/* Long enough for sixty seconds of 4096 x 4096 on a slow machine. */
const GstClockTime encoding_bound = 600 * GST_SECOND;

GstFlowReturn keep_sample(GstAppSink *sink, gpointer loop)
{
    GstSample *sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_EOS;
    static_cast<Encoded_Loop *>(loop)->keep(gst_sample_get_buffer(sample), gst_sample_get_caps(sample));
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

GstBuffer *drawn_picture(Dvr_State &state, const Loop_Request &request, unsigned frame, std::time_t start)
{
    Channel_Picture picture{request.width, request.height, {}};
    draw_live_picture(state, request.channel, start + frame / request.frames_per_second, frame, picture);
    GstBuffer *buffer = gst_buffer_new_allocate(nullptr, i420_size(request.width, request.height), nullptr);
    GstMapInfo out;
    if (!buffer || !gst_buffer_map(buffer, &out, GST_MAP_WRITE)) {
        if (buffer)
            gst_buffer_unref(buffer);
        return nullptr;
    }
    to_i420(picture, out.data);
    gst_buffer_unmap(buffer, &out);
    const GstClockTime interval = GST_SECOND / request.frames_per_second;
    GST_BUFFER_PTS(buffer) = frame * interval;
    GST_BUFFER_DURATION(buffer) = interval;
    return buffer;
}

/* Pushes every picture, then the end of stream; false when the source
   took one of them no more. */
bool push_pictures(Dvr_State &state, const Loop_Request &request, GstAppSrc *source)
{
    const std::time_t start = std::time(nullptr);
    const unsigned count = unsigned(request.frames_per_second * request.seconds);
    for (unsigned frame = 0; frame < count; ++frame) {
        GstBuffer *buffer = drawn_picture(state, request, frame, start);
        if (!buffer || gst_app_src_push_buffer(source, buffer) != GST_FLOW_OK)
            return false;
    }
    return gst_app_src_end_of_stream(source) == GST_FLOW_OK;
}

/* Waits for the end of the pipeline's stream; false on an error. */
bool ran_to_its_end(GstElement *pipeline)
{
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message =
        gst_bus_timed_pop_filtered(bus, encoding_bound, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ended = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    return ended;
}

/* How long after its decoding the encoder had a frame shown: 0 but for a
   reference picture that B pictures come before. */
GstClockTime shown_after_decoding(const GstBuffer *frame)
{
    const GstClockTime shown = GST_BUFFER_PTS(frame), decoded = GST_BUFFER_DTS(frame);
    return GST_CLOCK_TIME_IS_VALID(shown) && GST_CLOCK_TIME_IS_VALID(decoded) && shown > decoded ? shown - decoded : 0;
}

GstElement *encoding_pipeline(const Loop_Request &request)
{
    const std::string description = "appsrc name=pictures block=true format=time ! "
                                    + encoder_description(request.video) + " ! appsink name=frames sync=false";
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.c_str(), &error);
    if (error) {
        std::fprintf(stderr, "dvr-sim: the looped stream of channel %d: %s\n", request.channel, error->message);
        g_clear_error(&error);
    }
    return pipeline;
}

} // namespace

Encoded_Loop::~Encoded_Loop()
{
    for (GstBuffer *frame : frames)
        gst_buffer_unref(frame);
    if (caps_)
        gst_caps_unref(caps_);
}

GstBuffer *Encoded_Loop::frame(size_t index, GstClockTime decoded_at) const
{
    GstBuffer *kept = frames[index % frames.size()];
    /* A copy shares the frame's memory; only its stamps are its own. */
    GstBuffer *copy = gst_buffer_copy(kept);
    GST_BUFFER_DTS(copy) = decoded_at;
    GST_BUFFER_PTS(copy) = GST_CLOCK_TIME_IS_VALID(decoded_at) ? decoded_at + shown_after_decoding(kept) : decoded_at;
    return copy;
}

bool Encoded_Loop::ends_group_before(size_t index) const
{
    const size_t end = index % frames.size();
    GstClockTime shown_last = 0;
    for (size_t i = 0; i < end; ++i)
        shown_last = std::max(shown_last, GST_BUFFER_PTS(frames[i]));
    for (size_t i = end; i < frames.size(); ++i)
        if (GST_BUFFER_PTS(frames[i]) < shown_last)
            return false;
    return true;
}

void Encoded_Loop::keep(GstBuffer *frame, GstCaps *frame_caps)
{
    if (!frame)
        return;
    if (!caps_ && frame_caps)
        caps_ = gst_caps_ref(frame_caps);
    frames.push_back(gst_buffer_ref(frame));
}

std::unique_ptr<Encoded_Loop> encode_loop(Dvr_State &state, const Loop_Request &request)
{
    GstElement *pipeline = encoding_pipeline(request);
    if (!pipeline)
        return nullptr;
    auto loop = std::make_unique<Encoded_Loop>();
    GstElement *source = gst_bin_get_by_name(GST_BIN(pipeline), "pictures");
    GstElement *sink = gst_bin_get_by_name(GST_BIN(pipeline), "frames");
    GstCaps *caps = i420_caps(request.width, request.height, request.frames_per_second);
    gst_app_src_set_caps(GST_APP_SRC(source), caps);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = keep_sample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, loop.get(), nullptr);
    const bool encoded = gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE
                         && push_pictures(state, request, GST_APP_SRC(source)) && ran_to_its_end(pipeline);
    (void)gst_element_set_state(pipeline, GST_STATE_NULL); /* to NULL always succeeds */
    gst_object_unref(source);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    if (!encoded || loop->length() == 0 || !loop->caps()) {
        std::fprintf(stderr, "dvr-sim: the looped stream of channel %d could not be encoded\n", request.channel);
        return nullptr;
    }
    return loop;
}
