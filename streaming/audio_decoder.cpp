#include "audio_decoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

bool audio_codec_playable(AVCodecID codec)
{
    return codec == AV_CODEC_ID_PCM_MULAW || codec == AV_CODEC_ID_PCM_ALAW || codec == AV_CODEC_ID_AAC;
}

Audio_Decoder::~Audio_Decoder()
{
    swr_free(&resampler);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
}

bool Audio_Decoder::open(const AVCodecParameters& track, AVRational time_base)
{
    if (!audio_codec_playable(track.codec_id))
        return false;
    const AVCodec* decoder = avcodec_find_decoder(track.codec_id);
    if (!decoder)
        return false;
    codec = avcodec_alloc_context3(decoder);
    frame = av_frame_alloc();
    if (!codec || !frame || avcodec_parameters_to_context(codec, &track) < 0)
        return false;
    codec->pkt_timebase = time_base;
    // G.711 over RTP says its rate in the payload type and often no
    // channel count: one channel is what such a track carries.
    if (codec->ch_layout.nb_channels == 0)
        av_channel_layout_default(&codec->ch_layout, 1);
    return avcodec_open2(codec, decoder, nullptr) == 0;
}

void Audio_Decoder::decode(const AVPacket& packet, const std::function<void(Pcm_Block&, int64_t)>& take)
{
    if (!codec || avcodec_send_packet(codec, &packet) < 0)
        return;
    while (avcodec_receive_frame(codec, frame) == 0) {
        Pcm_Block block;
        if (convert(*frame, block) && !block.samples.empty())
            take(block, frame->best_effort_timestamp);
        av_frame_unref(frame);
    }
}

// Every decoded layout and sample format becomes 16-bit interleaved at the
// frame's own rate; the resampler is made for the first frame and again
// whenever the track changes its rate or channels.
bool Audio_Decoder::convert(const AVFrame& decoded, Pcm_Block& block)
{
    const int channels = std::min(decoded.ch_layout.nb_channels, 2);
    if (channels <= 0 || decoded.sample_rate <= 0)
        return false;
    const Pcm_Format wanted{decoded.sample_rate, channels};
    if (!resampler || wanted != output) {
        swr_free(&resampler);
        AVChannelLayout out_layout;
        av_channel_layout_default(&out_layout, channels);
        // This FFmpeg's declaration takes the layouts without const; it
        // only reads them.
        AVChannelLayout in_layout = decoded.ch_layout;
        if (swr_alloc_set_opts2(&resampler, &out_layout, AV_SAMPLE_FMT_S16, decoded.sample_rate, &in_layout,
                                static_cast<AVSampleFormat>(decoded.format), decoded.sample_rate, 0, nullptr) < 0 ||
            swr_init(resampler) < 0) {
            swr_free(&resampler);
            return false;
        }
        output = wanted;
    }
    block.format = output;
    block.samples.resize(static_cast<size_t>(decoded.nb_samples) * channels);
    uint8_t* planes[] = {reinterpret_cast<uint8_t*>(block.samples.data())};
    const int converted = swr_convert(resampler, planes, decoded.nb_samples,
                                      const_cast<const uint8_t**>(decoded.extended_data), decoded.nb_samples);
    if (converted < 0)
        return false;
    block.samples.resize(static_cast<size_t>(converted) * channels);
    return true;
}
