/*
 * stream_behaviour.h: how the live stream of dvr-sim behaves, changed at run
 * time through the control channel ("stream FIELD VALUE"), and what it has
 * counted.  The RTSP server (stream_server.h) reads it at every login and
 * every frame.
 */
#ifndef KELM_SIM_STREAM_BEHAVIOUR_H
#define KELM_SIM_STREAM_BEHAVIOUR_H

#include <atomic>
#include <string>
#include <vector>

/* The encodings a channel's stream can be built with, in the order of
   their control words (h264, h265, mjpeg). */
enum class Stream_Codec { h264, h265, mjpeg };

/* The audio a channel's stream can carry beside its video, in the order of
   their control words (none, pcmu, pcma, aac). */
enum class Stream_Audio { none, pcmu, pcma, aac };

/* The H.264 profiles a stream can be encoded in, in the order of their
   control words (baseline, main, high). */
enum class Stream_Profile { baseline, main, high };

/* Where a stream's parameter sets go, in the order of their control words
   (both: the SDP and before every key frame; sdp; in-band). */
enum class Stream_Parameter_Sets { both, sdp, in_band };

/* The authentication methods a client is offered, in the order of their
   control words (both, basic, digest). */
enum class Stream_Auth { both, basic, digest };

struct Stream_Behaviour
{
    std::atomic<bool> refuse{false};           /* answer every login 403 Forbidden */
    std::atomic<bool> anonymous{true};         /* accept the empty user with the empty password */
    std::atomic<int> accept_delay_ms{0};       /* wait before answering a login */
    std::atomic<int> break_after_frames{0};    /* close a playing client after this many frames; 0: never */
    std::atomic<bool> stall{false};            /* keep connections open but send no frames */
    std::atomic<int> frames_per_second{10};    /* for streams built afterwards */
    std::atomic<int> width{160};               /* running streams change size too */
    std::atomic<int> height{120};
    std::atomic<int> codec{int(Stream_Codec::h264)}; /* for streams built afterwards */
    std::atomic<int> audio{int(Stream_Audio::none)}; /* for streams built afterwards */
    std::atomic<int> auth{int(Stream_Auth::both)};
    std::atomic<bool> key_frames{true};        /* 0: a stream built afterwards has one key frame, its first */
    std::atomic<int> loop_seconds{0};          /* N > 0: streams built afterwards loop N seconds encoded once */
    std::atomic<int> profile{int(Stream_Profile::baseline)}; /* H.264's, for streams built afterwards */
    std::atomic<int> b_frames{0};              /* B pictures in a row, for streams built afterwards */
    std::atomic<int> parameter_sets{int(Stream_Parameter_Sets::both)}; /* for streams built afterwards */
    std::atomic<int> key_interval{0};          /* frames from key frame to key frame; 0: fps, one a second */
    std::atomic<unsigned> frames_sent{0};      /* over all channels */
    std::atomic<unsigned> logins{0};           /* logins answered, over all connections */
};

/* The control command "stream [FIELD VALUE]": sets one field of the
   behaviour, or with no arguments lists them all and the counts. */
std::string stream_command(Stream_Behaviour &behaviour, const std::vector<std::string> &words);

#endif
