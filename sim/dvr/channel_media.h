/*
 * channel_media.h: the streams of the channels.  One media factory serves
 * every channel's path; it builds a channel's stream when its first client
 * arrives and shares it with the clients that follow, until the last one
 * leaves.  A stream is encoded as `stream codec`, `profile`, `b-frames`,
 * `parameter-sets` and `key-interval` say at the time it is built, at the
 * `fps` of that time, with the audio `stream audio` says then.
 */
#ifndef KELM_SIM_CHANNEL_MEDIA_H
#define KELM_SIM_CHANNEL_MEDIA_H

#include <gst/rtsp-server/rtsp-server.h>

class Channel_Feed;
struct Simulator;

/* A new factory for the streams of `sim`'s channels, open to clients with
   the viewer role; the caller owns the reference. */
GstRTSPMediaFactory *make_channel_factory(Simulator &sim);

/* The picture feed of a stream the factory built; null for any other media. */
Channel_Feed *channel_feed(GstRTSPMedia *media);

#endif
