/*
 * stream_encoding.h: the encoder and the payloader of a channel's stream,
 * as gst-launch descriptions, for each codec the simulator serves, and the
 * same for the tone its audio track carries.
 */
#ifndef KELM_SIM_STREAM_ENCODING_H
#define KELM_SIM_STREAM_ENCODING_H

#include "stream_behaviour.h"

#include <gst/gst.h>

#include <string>

/* How a stream's pictures are encoded, as the `stream` fields said when
   it was built. */
struct Video_Encoding
{
    Stream_Codec codec;
    Stream_Profile profile;               /* H.264's; H.265 is Main whatever this says */
    int b_frames;                         /* B pictures in a row between reference pictures */
    Stream_Parameter_Sets parameter_sets;
    int key_interval;                     /* frames from one key frame to the next; 0: none after the first */
};

/* The caps of raw pictures as the simulator draws them: I420 of this size
   and rate.  The caller owns the reference. */
GstCaps *i420_caps(int width, int height, int frames_per_second);

/* The encoder: a key frame every key_interval frames (or none after the
   first), in the profile asked for, with the B pictures asked for (none:
   no frame held back for reordering). */
std::string encoder_description(const Video_Encoding &video);

/* The payloader, named pay0 as the RTSP server expects, with the parameter
   sets in the SDP, and before every key frame unless they go in the SDP
   alone. */
std::string payloader_description(const Video_Encoding &video);

/* The channel's tone as raw audio, mono at the rate `audio` is encoded at:
   a live sine, named tone, at half of full scale, in buffers of 20 ms.  Its
   frequency is set on the element (channel_tone.h). */
std::string tone_source_description(Stream_Audio audio);

/* The audio encoder. */
std::string audio_encoder_description(Stream_Audio audio);

/* The audio payloader, named pay1, the video's being pay0. */
std::string audio_payloader_description(Stream_Audio audio);

#endif
