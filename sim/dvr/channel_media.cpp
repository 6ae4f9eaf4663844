/*
 * channel_media.cpp: a media factory of our own type, whose create_element
 * builds a channel's stream: appsrc, encoder and payloader in a bin (a
 * looped stream's appsrc gives encoded frames to the payloader), and beside
 * them, when the stream has audio, the channel's tone with its encoder and
 * payloader.  The channel's feed and its tone are kept on the bin so that
 * they live as long as the stream.  A stream whose parameter sets go
 * in-band alone has them taken out of its payloader's caps, whence the
 * SDP would describe them.
 */

#include "channel_media.h"

#include "ending_streams.h"

#include "channel_feed.h"
#include "channel_tone.h"
#include "live_path.h"
#include "simulator.h"
#include "stream_encoding.h"
#include "stream_login.h"

#include <cstdio>
#include <memory>
#include <string>

struct DvrChannelFactory
{
    GstRTSPMediaFactory parent;
    Simulator *sim;
};

struct DvrChannelFactoryClass
{
    GstRTSPMediaFactoryClass parent_class;
};

G_DEFINE_TYPE(DvrChannelFactory, dvr_channel_factory, GST_TYPE_RTSP_MEDIA_FACTORY)

namespace {

const char feed_key[] = "dvr-channel-feed";
const char tone_key[] = "dvr-channel-tone";

void delete_feed(gpointer feed)
{
    delete static_cast<Channel_Feed *>(feed);
}

void delete_tone(gpointer tone)
{
    delete static_cast<Channel_Tone *>(tone);
}

/* A pad or element reference, dropped at the end of its scope. */
template <class T> using Ref = std::unique_ptr<T, void (*)(gpointer)>;
template <class T> Ref<T> take(T *object)
{
    return Ref<T>(object, [](gpointer held) {
        if (held)
            gst_object_unref(held);
    });
}

/* The pad where rtpbin hands the RTP packets of the media's stream `index`
   (its video, or its audio) on towards the clients' transports, and where
   the server holds the packets of a prepared stream until its first PLAY.
   Null for a stream laid out otherwise. */
GstPad *rtp_out_pad(GstRTSPMedia *media, guint index)
{
    GstRTSPStream *stream = gst_rtsp_media_get_stream(media, index);
    if (!stream)
        return nullptr;
    const auto stream_out = take(gst_rtsp_stream_get_srcpad(stream));
    const auto session_in = take(stream_out ? gst_pad_get_peer(stream_out.get()) : nullptr);
    const auto rtpbin = take(session_in ? gst_pad_get_parent_element(session_in.get()) : nullptr);
    const std::string name = "send_rtp_src_" + std::to_string(gst_rtsp_stream_get_index(stream));
    const auto session_out = take(rtpbin ? gst_element_get_static_pad(rtpbin.get(), name.c_str()) : nullptr);
    return session_out ? GST_PAD(gst_object_ref(session_out.get())) : nullptr;
}

GstPadProbeReturn drop_while_stalled(GstPad *, GstPadProbeInfo *, gpointer feed)
{
    return static_cast<Channel_Feed *>(feed)->stalled() ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}

/* A stream built in a stall still needs one picture before it can be
   described, and the server holds that picture's packets to send them at
   the first PLAY.  A probe added once the stream is prepared comes after
   the server's hold: while the stall lasts it drops the packets that
   arrive, and those the PLAY lets go.  The audio, which its source makes
   without pause, is held back by a probe of its own the same way. */
void on_prepared(GstRTSPMedia *media, gpointer)
{
    Channel_Feed *feed = channel_feed(media);
    for (guint index = 0; index < gst_rtsp_media_n_streams(media); ++index) {
        const auto pad = take(rtp_out_pad(media, index));
        if (!feed || !pad) {
            std::fprintf(stderr, "dvr-sim: a stream without its stall gate\n");
            return;
        }
        (void)gst_pad_add_probe(pad.get(),
                                GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                                drop_while_stalled, feed, nullptr); /* for the stream's life: its id is not needed */
    }
}

void configure_channel_media(GstRTSPMediaFactory *factory, GstRTSPMedia *media)
{
    GST_RTSP_MEDIA_FACTORY_CLASS(dvr_channel_factory_parent_class)->configure(factory, media);
    (void)g_signal_connect(media, "prepared", G_CALLBACK(on_prepared), nullptr); /* for the media's life */
    if (const Channel_Feed *feed = channel_feed(media))
        follow_channel_stream(feed->channel_number(), media);
}

/* The encoding of the channel's stream as the `stream` fields say now. */
Video_Encoding video_encoding(const Stream_Behaviour &stream, int frames_per_second, bool key_frames)
{
    const int key_interval = stream.key_interval.load();
    return Video_Encoding{static_cast<Stream_Codec>(stream.codec.load()),
                          static_cast<Stream_Profile>(stream.profile.load()), stream.b_frames.load(),
                          static_cast<Stream_Parameter_Sets>(stream.parameter_sets.load()),
                          key_frames ? (key_interval ? key_interval : frames_per_second) : 0};
}

/* The pictures of the channel's stream as the `stream` fields say now. */
Feed_Settings feed_settings(Simulator &sim, int channel)
{
    const bool key_frames = sim.stream.key_frames.load();
    const int frames_per_second = sim.stream.frames_per_second.load();
    /* A loop would send its key frames again: a stream without them is live. */
    return Feed_Settings{channel, frames_per_second, key_frames, key_frames ? sim.stream.loop_seconds.load() : 0,
                         video_encoding(sim.stream, frames_per_second, key_frames)};
}

/* The stream as a gst-launch description: the pictures' source, the
   encoder (none for a looped stream, whose frames come encoded) and pay0;
   beside them, unless the stream has no audio, the tone, its encoder and
   pay1. */
std::string stream_description(const Feed_Settings &settings, Stream_Audio audio)
{
    const std::string encoder = settings.loop_seconds ? "" : encoder_description(settings.video) + " ! ";
    std::string description = "appsrc name=pictures ! " + encoder + payloader_description(settings.video);
    if (audio != Stream_Audio::none)
        description += "  " + tone_source_description(audio) + " ! " + audio_encoder_description(audio) + " ! "
                       + audio_payloader_description(audio);
    return description;
}

/* The stream's bin, floating; null when its description fails. */
GstElement *parse_stream(const std::string &description, int channel)
{
    GError *error = nullptr;
    GstElement *bin = gst_parse_bin_from_description(description.c_str(), FALSE, &error);
    if (error) {
        std::fprintf(stderr, "dvr-sim: the stream of channel %d: %s\n", channel, error->message);
        g_clear_error(&error);
    }
    return bin;
}

/* Keeps the channel's feed on the bin; false when the bin has not the
   elements it feeds or a looped stream's frames could not be encoded. */
bool attach_feed(Simulator &sim, const Feed_Settings &settings, GstElement *bin)
{
    const auto source = take(gst_bin_get_by_name(GST_BIN(bin), "pictures"));
    const auto payloader = take(gst_bin_get_by_name(GST_BIN(bin), "pay0"));
    if (!source || !payloader)
        return false;
    auto feed = std::make_unique<Channel_Feed>(sim, settings, source.get(), payloader.get());
    if (!feed->ready())
        return false;
    g_object_set_data_full(G_OBJECT(bin), feed_key, feed.release(), delete_feed);
    return true;
}

/* A live tone cannot go back, but its source would say it can seek: the
   server, which seeks a shared stream to the start each new client asks
   for when it can, would then seek the running stream, fail, and answer
   the client 503.  Asked, it says no, as the pictures' source does. */
GstPadProbeReturn refuse_seeking(GstPad *, GstPadProbeInfo *info, gpointer)
{
    GstQuery *query = GST_PAD_PROBE_INFO_QUERY(info);
    if (GST_QUERY_TYPE(query) != GST_QUERY_SEEKING)
        return GST_PAD_PROBE_OK;
    gst_query_set_seeking(query, GST_FORMAT_TIME, FALSE, 0, -1);
    return GST_PAD_PROBE_HANDLED;
}

/* Follows the bin's tone source, when the stream has audio, for as long as
   the bin lives. */
void attach_tone(Simulator &sim, int channel, GstElement *bin)
{
    const auto source = take(gst_bin_get_by_name(GST_BIN(bin), "tone"));
    const auto pad = take(source ? gst_element_get_static_pad(source.get(), "src") : nullptr);
    if (!pad)
        return;
    (void)gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_QUERY_UPSTREAM, refuse_seeking, nullptr,
                            nullptr); /* for the source's life: its id is not needed */
    g_object_set_data_full(G_OBJECT(bin), tone_key, new Channel_Tone(sim.state, channel, source.get()),
                           delete_tone);
}

/* The payloader describes the parameter sets in its caps, whence the
   server writes them into the SDP (sprop-parameter-sets for H.264,
   sprop-vps, -sps and -pps for H.265): they are taken out of the caps it
   sends on, so that they come only in the stream. */
GstPadProbeReturn leave_out_parameter_sets(GstPad *, GstPadProbeInfo *info, gpointer)
{
    GstEvent *event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    GstCaps *caps = nullptr;
    gst_event_parse_caps(event, &caps);
    GstCaps *without = gst_caps_copy(caps);
    for (guint i = 0; i < gst_caps_get_size(without); ++i)
        gst_structure_remove_fields(gst_caps_get_structure(without, i), "sprop-parameter-sets", "sprop-vps",
                                    "sprop-sps", "sprop-pps", nullptr);
    GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_caps(without);
    gst_caps_unref(without);
    gst_event_unref(event);
    return GST_PAD_PROBE_OK;
}

/* Keeps the parameter sets of a stream that sends them in-band alone out
   of its SDP, for as long as the bin lives. */
void keep_parameter_sets_in_band(const Feed_Settings &settings, GstElement *bin)
{
    if (settings.video.parameter_sets != Stream_Parameter_Sets::in_band)
        return;
    const auto payloader = take(gst_bin_get_by_name(GST_BIN(bin), "pay0"));
    const auto pad = take(payloader ? gst_element_get_static_pad(payloader.get(), "src") : nullptr);
    if (!pad)
        return; /* attach_feed found the payloader */
    (void)gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, leave_out_parameter_sets, nullptr,
                            nullptr); /* for the payloader's life: its id is not needed */
}

GstElement *create_channel_element(GstRTSPMediaFactory *factory, const GstRTSPUrl *url)
{
    Simulator &sim = *reinterpret_cast<DvrChannelFactory *>(factory)->sim;
    const int channel = live_channel(url->abspath);
    if (!channel)
        return nullptr; /* the server answers that it cannot build the stream */
    const Feed_Settings settings = feed_settings(sim, channel);
    const auto audio = static_cast<Stream_Audio>(sim.stream.audio.load());
    GstElement *bin = parse_stream(stream_description(settings, audio), channel);
    if (!bin)
        return nullptr;
    if (!attach_feed(sim, settings, bin)) {
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    attach_tone(sim, channel, bin);
    keep_parameter_sets_in_band(settings, bin);
    return bin;
}

} // namespace

static void dvr_channel_factory_init(DvrChannelFactory *factory)
{
    factory->sim = nullptr;
}

static void dvr_channel_factory_class_init(DvrChannelFactoryClass *klass)
{
    GST_RTSP_MEDIA_FACTORY_CLASS(klass)->create_element = create_channel_element;
    GST_RTSP_MEDIA_FACTORY_CLASS(klass)->configure = configure_channel_media;
}

GstRTSPMediaFactory *make_channel_factory(Simulator &sim)
{
    auto *channels = static_cast<DvrChannelFactory *>(g_object_new(dvr_channel_factory_get_type(), nullptr));
    channels->sim = &sim;
    GstRTSPMediaFactory *factory = GST_RTSP_MEDIA_FACTORY(channels);
    gst_rtsp_media_factory_set_shared(factory, TRUE);
    gst_rtsp_media_factory_add_role(factory, viewer_role, GST_RTSP_PERM_MEDIA_FACTORY_ACCESS, G_TYPE_BOOLEAN, TRUE,
                                    GST_RTSP_PERM_MEDIA_FACTORY_CONSTRUCT, G_TYPE_BOOLEAN, TRUE, nullptr);
    return factory;
}

Channel_Feed *channel_feed(GstRTSPMedia *media)
{
    GstElement *element = gst_rtsp_media_get_element(media);
    if (!element)
        return nullptr;
    auto *feed = static_cast<Channel_Feed *>(g_object_get_data(G_OBJECT(element), feed_key));
    gst_object_unref(element); /* the media keeps the element, and with it the feed */
    return feed;
}
