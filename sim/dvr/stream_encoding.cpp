/*
 * stream_encoding.cpp: x264enc and x265enc at their fastest with zero
 * latency; MJPEG has nothing but key frames.  G.711 goes at the telephone
 * rate with its static payload types (0 for mu-law, 8 for A-law); AAC-LC at
 * 16 kHz, with a dynamic payload type apart from the video's 96 and its
 * configuration in the SDP.
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

} // namespace

GstCaps *i420_caps(int width, int height, int frames_per_second)
{
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width", G_TYPE_INT, width,
                               "height", G_TYPE_INT, height, "framerate", GST_TYPE_FRACTION, frames_per_second, 1,
                               nullptr);
}

std::string encoder_description(Stream_Codec codec, int frames_per_second, bool with_key_frames)
{
    const int key_frame_distance = with_key_frames ? frames_per_second : never_again;
    const std::string key_frames = " key-int-max=" + std::to_string(key_frame_distance);
    switch (codec) {
    case Stream_Codec::h265:
        return "x265enc tune=zerolatency speed-preset=ultrafast" + key_frames;
    case Stream_Codec::mjpeg:
        return "jpegenc";
    case Stream_Codec::h264:
        break;
    }
    return "x264enc tune=zerolatency speed-preset=ultrafast bframes=0 threads=1 aud=false" + key_frames;
}

std::string payloader_description(Stream_Codec codec)
{
    switch (codec) {
    case Stream_Codec::h265:
        return "rtph265pay name=pay0 pt=96 config-interval=-1";
    case Stream_Codec::mjpeg:
        return "rtpjpegpay name=pay0";
    case Stream_Codec::h264:
        break;
    }
    return "rtph264pay name=pay0 pt=96 config-interval=-1";
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
