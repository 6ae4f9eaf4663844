#include "recording_reader.h"

#include <cstdlib>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

struct Reading {
    AVFormatContext* file = nullptr;
    AVCodecContext* decoder = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* picture = av_frame_alloc();
    ~Reading()
    {
        av_frame_free(&picture);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
        avformat_close_input(&file);
    }
};

uint32_t channel_of(AVDictionary* metadata)
{
    const AVDictionaryEntry* title = av_dict_get(metadata, "title", nullptr, 0);
    return title && strncmp(title->value, "Channel ", 8) == 0 ? strtoul(title->value + 8, nullptr, 10) : 0;
}

bool open_decoder(Reading& reading, const AVStream& video)
{
    const AVCodec* codec = avcodec_find_decoder(video.codecpar->codec_id);
    reading.decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    return reading.decoder && avcodec_parameters_to_context(reading.decoder, video.codecpar) >= 0 &&
           avcodec_open2(reading.decoder, codec, nullptr) == 0;
}

// Feeds every packet to the decoder; false when any was refused.
bool decode_all(Reading& reading, const AVStream& video, Recording_Summary& summary)
{
    int64_t first = AV_NOPTS_VALUE, last = AV_NOPTS_VALUE;
    while (av_read_frame(reading.file, reading.packet) >= 0) {
        if (reading.packet->stream_index == video.index) {
            if (summary.frames++ == 0)
                summary.starts_with_key_frame = (reading.packet->flags & AV_PKT_FLAG_KEY) != 0;
            if (first == AV_NOPTS_VALUE || reading.packet->pts < first)
                first = reading.packet->pts;
            if (last == AV_NOPTS_VALUE || reading.packet->pts > last)
                last = reading.packet->pts;
            // The first picture that fails is named; the rest are still counted.
            if (avcodec_send_packet(reading.decoder, reading.packet) < 0 && summary.problem.empty())
                summary.problem = "picture " + std::to_string(summary.frames) + " does not decode";
            while (avcodec_receive_frame(reading.decoder, reading.picture) == 0)
                av_frame_unref(reading.picture);
        }
        av_packet_unref(reading.packet);
    }
    if (first != AV_NOPTS_VALUE)
        summary.seconds = (last - first) * av_q2d(video.time_base);
    return summary.problem.empty();
}

} // namespace

Recording_Summary read_recording(const std::string& path)
{
    Recording_Summary summary;
    Reading reading;
    if (avformat_open_input(&reading.file, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(reading.file, nullptr) < 0) {
        summary.problem = "not a file libavformat reads";
        return summary;
    }
    const int index = av_find_best_stream(reading.file, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        summary.problem = "no video track";
        return summary;
    }
    const int audio = av_find_best_stream(reading.file, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (audio >= 0)
        summary.audio_codec = avcodec_get_name(reading.file->streams[audio]->codecpar->codec_id);
    const AVStream& video = *reading.file->streams[index];
    summary.channel = channel_of(reading.file->metadata);
    summary.codec = avcodec_get_name(video.codecpar->codec_id);
    summary.width = video.codecpar->width;
    summary.height = video.codecpar->height;
    if (!open_decoder(reading, video)) {
        summary.problem = "no decoder for " + summary.codec;
        return summary;
    }
    summary.valid = decode_all(reading, video, summary) && summary.frames > 0;
    if (summary.problem.empty() && summary.frames == 0)
        summary.problem = "no pictures";
    return summary;
}
