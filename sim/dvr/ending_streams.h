/*
 * ending_streams.h: the channels whose shared stream is being taken down.
 * When the last client of a channel leaves, GStreamer's RTSP server takes
 * the stream down in the background, and a DESCRIBE for that channel in
 * the meantime finds the old stream and is answered 503: a client that
 * closes a channel and opens it again at once would read "no signal".  The
 * answer to a DESCRIBE therefore waits, briefly, until that has ended.
 */
#ifndef KELM_SIM_ENDING_STREAMS_H
#define KELM_SIM_ENDING_STREAMS_H

#include <gst/rtsp-server/rtsp-server.h>

/* Follows `media`, the stream of `channel`, until it is taken down. */
void follow_channel_stream(int channel, GstRTSPMedia *media);

/* Returns once no stream of `channel` is being taken down, or after
   `most_ms`. */
void wait_while_channel_stream_ends(int channel, int most_ms);

#endif
