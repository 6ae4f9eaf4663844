#include "jpeg_picture.h"

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace {

// The encoder's quantiser: 2 (finest) to 31; 3 keeps camera detail at a
// fifth of the raw picture's size.
const int jpeg_quantiser = 3;

struct Context_Free {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct Frame_Free {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct Packet_Free {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct Scaler_Free {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

std::unique_ptr<AVCodecContext, Context_Free> open_encoder(int width, int height)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    std::unique_ptr<AVCodecContext, Context_Free> encoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!encoder)
        return nullptr;
    encoder->width = width;
    encoder->height = height;
    encoder->pix_fmt = AV_PIX_FMT_YUVJ420P;  // full-range 4:2:0, what JPEG viewers expect
    encoder->color_range = AVCOL_RANGE_JPEG;
    encoder->time_base = AVRational{1, 25};
    encoder->flags |= AV_CODEC_FLAG_QSCALE;
    encoder->global_quality = FF_QP2LAMBDA * jpeg_quantiser;
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0)
        return nullptr;
    return encoder;
}

// `picture` converted to the encoder's full-range 4:2:0.
std::unique_ptr<AVFrame, Frame_Free> full_range_copy(const AVFrame& picture)
{
    std::unique_ptr<AVFrame, Frame_Free> copy(av_frame_alloc());
    if (!copy)
        return nullptr;
    copy->format = AV_PIX_FMT_YUVJ420P;
    copy->width = picture.width;
    copy->height = picture.height;
    copy->color_range = AVCOL_RANGE_JPEG;
    std::unique_ptr<SwsContext, Scaler_Free> scaler(
        sws_getContext(picture.width, picture.height, static_cast<AVPixelFormat>(picture.format), picture.width,
                       picture.height, AV_PIX_FMT_YUVJ420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler || av_frame_get_buffer(copy.get(), 0) < 0)
        return nullptr;
    if (sws_scale(scaler.get(), picture.data, picture.linesize, 0, picture.height, copy->data, copy->linesize) !=
        picture.height)
        return nullptr;
    copy->quality = FF_QP2LAMBDA * jpeg_quantiser;
    copy->pts = 0;
    return copy;
}

} // namespace

bool encode_jpeg(const AVFrame& picture, std::vector<uint8_t>* jpeg)
{
    if (picture.width <= 0 || picture.height <= 0 || picture.format < 0)
        return false;
    auto encoder = open_encoder(picture.width, picture.height);
    auto source = encoder ? full_range_copy(picture) : nullptr;
    std::unique_ptr<AVPacket, Packet_Free> packet(av_packet_alloc());
    if (!source || !packet || avcodec_send_frame(encoder.get(), source.get()) < 0 ||
        avcodec_receive_packet(encoder.get(), packet.get()) < 0)
        return false;
    jpeg->assign(packet->data, packet->data + packet->size);
    return true;
}
