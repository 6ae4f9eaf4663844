/*
 * stream_encoding.cpp: x264enc and x265enc at their fastest with zero
 * latency; MJPEG has nothing but key frames.
 */

#include "stream_encoding.h"

namespace {

/* A key frame distance no stream lives to see. */
const int never_again = 1000000;

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
