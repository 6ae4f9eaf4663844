#include "video_decoder.h"

namespace {

// One decoding thread a stream: the streams themselves run side by side,
// so sixteen panes use the cores without sixteen times their number of
// threads, and a picture is out as soon as its packet is in.
const int decoding_threads = 1;

} // namespace

Video_Decoder::~Video_Decoder()
{
    av_frame_free(&picture);
    avcodec_free_context(&codec);
}

bool Video_Decoder::open(const AVStream& track)
{
    const AVCodec* decoder = avcodec_find_decoder(track.codecpar->codec_id);
    if (!decoder)
        return false;
    codec = avcodec_alloc_context3(decoder);
    picture = av_frame_alloc();
    if (!codec || !picture || avcodec_parameters_to_context(codec, track.codecpar) < 0)
        return false;
    codec->thread_count = decoding_threads;
    codec->flags |= AV_CODEC_FLAG_LOW_DELAY;
    codec->pkt_timebase = track.time_base;
    return avcodec_open2(codec, decoder, nullptr) == 0;
}

// A packet the decoder refuses is lost with what depends on it: pictures
// wait for the next key frame.
bool Video_Decoder::send(const AVPacket& packet)
{
    if (awaiting_key && !(packet.flags & AV_PKT_FLAG_KEY))
        return false;
    const int sent = avcodec_send_packet(codec, &packet);
    if (sent == 0)
        return true;
    awaiting_key = true;
    if (sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN)) {
        // Anything else (no memory, a decoder gone wrong) is for good.
        avcodec_free_context(&codec);
    }
    return false;
}

// A picture the decoder had to conceal errors in is never shown; the
// next key frame that decodes cleanly ends the wait.
bool Video_Decoder::whole(const AVFrame& decoded)
{
    const bool damaged = decoded.decode_error_flags != 0 || (decoded.flags & AV_FRAME_FLAG_CORRUPT);
    if (damaged) {
        awaiting_key = true;
        return false;
    }
    if (awaiting_key) {
        if (!decoded.key_frame)
            return false;
        awaiting_key = false;
    }
    return true;
}
