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

// Everything from the last key packet on goes in, so that a decoder that
// holds its key picture back gets the packets it waits for.  A packet the
// decoder refuses is lost with what depends on it: nothing but a key frame
// goes in after it.
bool Video_Decoder::send(const AVPacket& packet)
{
    const bool key = (packet.flags & AV_PKT_FLAG_KEY) != 0;
    if (!key_packet_in && !key)
        return false;
    // A key frame after a gap starts the decoder afresh: an H.265 decoder
    // then leaves out the pictures of an open group that refer to what was
    // missed (RASL), instead of decoding them damaged, and the next key
    // frame would go the same way.
    if (!key_packet_in)
        avcodec_flush_buffers(codec);
    const int sent = avcodec_send_packet(codec, &packet);
    if (sent == 0) {
        key_packet_in = true;
        return true;
    }
    start_afresh();
    if (sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN)) {
        // Anything else (no memory, a decoder gone wrong) is for good.
        avcodec_free_context(&codec);
    }
    return false;
}

void Video_Decoder::start_afresh()
{
    key_packet_in = false;
    key_picture_out = false;
}

// A picture the decoder had to conceal errors in is never shown, nor any
// after it until a key picture comes out whole: the pictures in between
// may refer to the damaged one.
bool Video_Decoder::whole(const AVFrame& decoded)
{
    const bool damaged = decoded.decode_error_flags != 0 || (decoded.flags & AV_FRAME_FLAG_CORRUPT);
    if (damaged) {
        start_afresh();
        return false;
    }
    if (!key_picture_out) {
        if (!decoded.key_frame)
            return false;
        key_picture_out = true;
    }
    return true;
}
