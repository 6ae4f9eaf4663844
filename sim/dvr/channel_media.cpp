/*
 * channel_media.cpp: a media factory of our own type, whose create_element
 * builds a channel's stream: appsrc, encoder and payloader in a bin (a
 * looped stream's appsrc gives encoded frames to the payloader), with the
 * channel's feed kept on the bin so that it lives as long as the stream.
 */

#include "channel_media.h"

#include "ending_streams.h"

#include "channel_feed.h"
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

void delete_feed(gpointer feed)
{
    delete static_cast<Channel_Feed *>(feed);
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

/* The pad where rtpbin hands the stream's RTP packets on towards the
   clients' transports, and where the server holds the packets of a
   prepared stream until its first PLAY.  Null for a stream laid out
   otherwise. */
GstPad *rtp_out_pad(GstRTSPMedia *media)
{
    GstRTSPStream *stream = gst_rtsp_media_get_stream(media, 0);
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
   arrive, and those the PLAY lets go. */
void on_prepared(GstRTSPMedia *media, gpointer)
{
    Channel_Feed *feed = channel_feed(media);
    const auto pad = take(rtp_out_pad(media));
    if (!feed || !pad) {
        std::fprintf(stderr, "dvr-sim: a stream without its stall gate\n");
        return;
    }
    (void)gst_pad_add_probe(pad.get(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                            drop_while_stalled, feed, nullptr); /* for the stream's life: its id is not needed */
}

void configure_channel_media(GstRTSPMediaFactory *factory, GstRTSPMedia *media)
{
    GST_RTSP_MEDIA_FACTORY_CLASS(dvr_channel_factory_parent_class)->configure(factory, media);
    (void)g_signal_connect(media, "prepared", G_CALLBACK(on_prepared), nullptr); /* for the media's life */
    if (const Channel_Feed *feed = channel_feed(media))
        follow_channel_stream(feed->channel_number(), media);
}

GstElement *create_channel_element(GstRTSPMediaFactory *factory, const GstRTSPUrl *url)
{
    Simulator &sim = *reinterpret_cast<DvrChannelFactory *>(factory)->sim;
    const int channel = live_channel(url->abspath);
    if (!channel)
        return nullptr; /* the server answers that it cannot build the stream */
    const bool key_frames = sim.stream.key_frames.load();
    /* A loop would send its key frames again: a stream without them is live. */
    const Feed_Settings settings{channel, sim.stream.frames_per_second.load(), key_frames,
                                 key_frames ? sim.stream.loop_seconds.load() : 0,
                                 static_cast<Stream_Codec>(sim.stream.codec.load())};
    const std::string encoder =
        settings.loop_seconds ? "" : encoder_description(settings.codec, settings.frames_per_second, key_frames) + " ! ";
    const std::string description = "appsrc name=pictures ! " + encoder + payloader_description(settings.codec);
    GError *error = nullptr;
    GstElement *bin = gst_parse_bin_from_description(description.c_str(), FALSE, &error);
    if (error) {
        std::fprintf(stderr, "dvr-sim: the stream of channel %d: %s\n", channel, error->message);
        g_clear_error(&error);
    }
    if (!bin)
        return nullptr;
    const auto source = take(gst_bin_get_by_name(GST_BIN(bin), "pictures"));
    const auto payloader = take(gst_bin_get_by_name(GST_BIN(bin), "pay0"));
    if (!source || !payloader) {
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    auto feed = std::make_unique<Channel_Feed>(sim, settings, source.get(), payloader.get());
    if (!feed->ready()) {
        gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    g_object_set_data_full(G_OBJECT(bin), feed_key, feed.release(), delete_feed);
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
