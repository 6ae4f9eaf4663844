/*
 * stream_encoding.cpp: x264enc and x265enc at their fastest with zero
 * latency, but for the B pictures asked for; MJPEG has nothing but key
 * frames.  G.711 goes at the telephone rate with its static payload types
 * (0 for mu-law, 8 for A-law); AAC-LC at 16 kHz, with a dynamic payload
 * type apart from the video's 96 and its configuration in the SDP.
 */

#include "stream_encoding.h"

namespace {

/* A key frame distance no stream lives to see. */
const int never_again = 1000000;

/* Buffers of 20 ms: a change of tone reaches the encoder within one. */
const int audio_buffers_per_second = 50;

int audio_sample_rate(Stream_Audio audio)
{
    return audio == Stream_Audio::aac ? 16000 : 8000;
}

/* x264's bframes property overrides the zero latency tune's none; with B
   pictures their number is fixed rather than chosen picture by picture, so
   that every run between reference pictures has as many as asked for. */
std::string x264_fixed_b_frames(int b_frames)
{
    return b_frames > 0 ? " b-adapt=false" : "";
}

/* x264 names in its parameter sets the least profile the tools it uses
   need, and the fastest preset uses none beyond baseline: main takes CABAC,
   high CABAC and the 8x8 transform.  The caps say the profile too. */
std::string x264_profile(Stream_Profile profile)
{
    switch (profile) {
    case Stream_Profile::main:
        return " cabac=true ! video/x-h264,profile=main";
    case Stream_Profile::high:
        return " cabac=true dct8x8=true ! video/x-h264,profile=high";
    case Stream_Profile::baseline:
        break;
    }
    return "";
}

/* x264 writes the parameter sets before every key frame of its own accord,
   whatever its stream format; told not to, it writes them only in the
   caps, whence the payloader takes them into the SDP. */
std::string x264_parameter_sets(Stream_Parameter_Sets parameter_sets)
{
    return parameter_sets == Stream_Parameter_Sets::sdp ? " option-string=repeat-headers=0" : "";
}

/* x265 takes B pictures through its option string, their number fixed as
   for x264; it refuses a look-ahead no longer than a run of them. */
std::string x265_b_frames(int b_frames)
{
    if (b_frames == 0)
        return "";
    return " option-string=\"bframes=" + std::to_string(b_frames) + ":b-adapt=0:rc-lookahead="
           + std::to_string(b_frames + 1) + "\"";
}

} // namespace

GstCaps *i420_caps(int width, int height, int frames_per_second)
{
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width", G_TYPE_INT, width,
                               "height", G_TYPE_INT, height, "framerate", GST_TYPE_FRACTION, frames_per_second, 1,
                               nullptr);
}

std::string encoder_description(const Video_Encoding &video)
{
    const int key_frame_distance = video.key_interval > 0 ? video.key_interval : never_again;
    const std::string key_frames = " key-int-max=" + std::to_string(key_frame_distance);
    switch (video.codec) {
    case Stream_Codec::h265:
        return "x265enc tune=zerolatency speed-preset=ultrafast" + key_frames + x265_b_frames(video.b_frames);
    case Stream_Codec::mjpeg:
        return "jpegenc";
    case Stream_Codec::h264:
        break;
    }
    return "x264enc tune=zerolatency speed-preset=ultrafast bframes=" + std::to_string(video.b_frames)
           + " threads=1 aud=false" + key_frames + x264_fixed_b_frames(video.b_frames)
           + x264_parameter_sets(video.parameter_sets) + x264_profile(video.profile);
}

std::string payloader_description(const Video_Encoding &video)
{
    const std::string config_interval =
        video.parameter_sets == Stream_Parameter_Sets::sdp ? " config-interval=0" : " config-interval=-1";
    switch (video.codec) {
    case Stream_Codec::h265:
        return "rtph265pay name=pay0 pt=96" + config_interval;
    case Stream_Codec::mjpeg:
        return "rtpjpegpay name=pay0";
    case Stream_Codec::h264:
        break;
    }
    return "rtph264pay name=pay0 pt=96" + config_interval;
}

std::string tone_source_description(Stream_Audio audio)
{
    const int rate = audio_sample_rate(audio);
    return "audiotestsrc name=tone is-live=true wave=sine volume=0.5 samplesperbuffer="
           + std::to_string(rate / audio_buffers_per_second) + " ! audio/x-raw,format=S16LE,channels=1,rate="
           + std::to_string(rate);
}

std::string audio_encoder_description(Stream_Audio audio)
{
    switch (audio) {
    case Stream_Audio::pcma:
        return "alawenc";
    case Stream_Audio::aac:
        return "voaacenc bitrate=32000";
    case Stream_Audio::pcmu:
    case Stream_Audio::none:
        break;
    }
    return "mulawenc";
}

std::string audio_payloader_description(Stream_Audio audio)
{
    switch (audio) {
    case Stream_Audio::pcma:
        return "rtppcmapay name=pay1";
    case Stream_Audio::aac:
        return "rtpmp4gpay name=pay1 pt=97";
    case Stream_Audio::pcmu:
    case Stream_Audio::none:
        break;
    }
    return "rtppcmupay name=pay1";
}
