// FFmpeg as the streaming library will use it, under Wine: the DLLs the
// set-up built load, are LGPL only, and decode a real picture: a snapshot
// of dvr-sim's, a JPEG, through the MJPEG decoder.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <memory>
#include <string>

#include "dvr_sim.h"
#include "web_service.h"

namespace {

struct Codec_Context_Free {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct Frame_Free {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct Packet_Free {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

} // namespace

TEST(FFmpeg, IsLgplOnly)
{
    EXPECT_EQ(std::string(avcodec_license()), "LGPL version 2.1 or later");
    EXPECT_EQ(std::string(avcodec_configuration()).find("--enable-gpl"), std::string::npos);
    EXPECT_EQ(std::string(avcodec_configuration()).find("--enable-nonfree"), std::string::npos);
}

TEST(FFmpeg, DecodesASnapshotOfTheSimulator)
{
    Dvr_Sim sim(Dvr_Sim::number_for("FFmpeg.snapshot"));
    ASSERT_TRUE(sim.running());
    Web_Service service(sim.endpoint().c_str());
    Byte_Array* picture = nullptr;
    ASSERT_EQ(service.snapshot(1, picture), 0);
    ASSERT_NE(picture, nullptr);

    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    ASSERT_NE(decoder, nullptr);
    std::unique_ptr<AVCodecContext, Codec_Context_Free> context(avcodec_alloc_context3(decoder));
    ASSERT_EQ(avcodec_open2(context.get(), decoder, nullptr), 0);
    std::unique_ptr<AVPacket, Packet_Free> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, Frame_Free> frame(av_frame_alloc());
    ASSERT_EQ(av_new_packet(packet.get(), picture->__size), 0);
    memcpy(packet->data, picture->__ptr, static_cast<size_t>(picture->__size));
    ASSERT_EQ(avcodec_send_packet(context.get(), packet.get()), 0);
    ASSERT_EQ(avcodec_receive_frame(context.get(), frame.get()), 0);
    EXPECT_EQ(frame->width, 176);
    EXPECT_EQ(frame->height, 144);
    EXPECT_NE(frame->data[0], nullptr);
}
