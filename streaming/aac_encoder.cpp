#include "aac_encoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace {

// What a speech or surveillance track needs at 8 to 16 kHz, one channel.
const int64_t bits_a_second_a_channel = 32000;

} // namespace

Aac_Encoder::~Aac_Encoder()
{
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&encoder);
}

bool Aac_Encoder::open(const AVCodecParameters& source, AVRational source_time_base)
{
    const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    const int channels = source.ch_layout.nb_channels == 2 ? 2 : 1;
    if (!aac || source.sample_rate <= 0 || !decoder.open(source, source_time_base))
        return false;
    encoder = avcodec_alloc_context3(aac);
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (!encoder || !frame || !packet)
        return false;
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = source.sample_rate;
    av_channel_layout_default(&encoder->ch_layout, channels);
    encoder->bit_rate = bits_a_second_a_channel * channels;
    encoder->time_base = AVRational{1, source.sample_rate};
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // MP4 keeps the configuration in its header
    if (avcodec_open2(encoder, aac, nullptr) < 0)
        return false;
    pending.assign(channels, std::vector<float>());
    return true;
}

bool Aac_Encoder::add(const AVPacket& received, int64_t first_time, const std::function<bool(AVPacket&)>& write)
{
    if (next_time == AV_NOPTS_VALUE)
        next_time = first_time;
    const size_t channels = pending.size();
    bool taken = true;
    decoder.decode(received, [&](Pcm_Block& block, int64_t) {
        if (block.format.rate != encoder->sample_rate || static_cast<size_t>(block.format.channels) != channels) {
            taken = false;  // a track that changed its format midway is not encoded further
            return;
        }
        for (size_t i = 0; i < block.samples.size(); ++i)
            pending[i % channels].push_back(block.samples[i] / 32768.0f);
    });
    return taken && encode_whole_frames(write);
}

bool Aac_Encoder::encode_whole_frames(const std::function<bool(AVPacket&)>& write)
{
    const int size = encoder->frame_size;
    while (static_cast<int>(pending[0].size()) >= size) {
        av_frame_unref(frame);
        frame->nb_samples = size;
        frame->format = encoder->sample_fmt;
        frame->sample_rate = encoder->sample_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout) < 0 || av_frame_get_buffer(frame, 0) < 0)
            return false;
        for (size_t channel = 0; channel < pending.size(); ++channel) {
            std::vector<float>& samples = pending[channel];
            std::copy(samples.begin(), samples.begin() + size, reinterpret_cast<float*>(frame->extended_data[channel]));
            samples.erase(samples.begin(), samples.begin() + size);
        }
        frame->pts = next_time;
        next_time += size;
        if (avcodec_send_frame(encoder, frame) < 0 || !drain(write))
            return false;
    }
    return true;
}

bool Aac_Encoder::drain(const std::function<bool(AVPacket&)>& write)
{
    for (;;) {
        const int received = avcodec_receive_packet(encoder, packet);
        if (received == AVERROR(EAGAIN))
            return true;
        if (received < 0)
            return false;
        const bool written = write(*packet);
        av_packet_unref(packet);
        if (!written)
            return false;
    }
}
