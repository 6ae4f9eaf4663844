#include "media_file.h"

#include <windows.h>

#include <cstring>

#include "resource.h"
#include "texts.h"

namespace {

// A file seldom needs more than the two cores of a small machine, and the
// pictures come out in order whatever the count.
const int decoding_threads = 2;
const AVRational milliseconds = {1, 1000};

// FFmpeg takes file names in UTF-8 on Windows.
std::string utf8_of(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], size, nullptr, nullptr) != size)
        return std::string();
    utf8.resize(static_cast<size_t>(size) - 1);
    return utf8;
}

// FFmpeg's own texts (names and error texts) are ASCII.
std::wstring widened(const char* text)
{
    return std::wstring(text, text + strlen(text));
}

// Why libavformat could not open a file, in words.
std::wstring open_problem(int error)
{
    if (error == AVERROR(ENOENT))
        return load_text(IDS_MEDIA_MISSING);
    if (error == AVERROR_INVALIDDATA)
        return load_text(IDS_MEDIA_NOT_VIDEO);
    char reason[AV_ERROR_MAX_STRING_SIZE] = "";
    (void)av_strerror(error, reason, sizeof reason);  // gives a generic text for an unknown code
    return format_text(IDS_MEDIA_UNREADABLE, widened(reason).c_str());
}

// The first video track's codec name, for a track no decoder here reads.
std::wstring video_codec_name(const AVFormatContext& format)
{
    for (unsigned i = 0; i < format.nb_streams; ++i)
        if (format.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            return widened(avcodec_get_name(format.streams[i]->codecpar->codec_id));
    return std::wstring();
}

} // namespace

Media_File::~Media_File()
{
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
}

bool Media_File::open(const std::wstring& path, std::wstring* problem)
{
    // The player tells in words why a file cannot be played; FFmpeg's own
    // notes on standard error would only say it again in its terms.
    av_log_set_level(AV_LOG_FATAL);
    const int opened = avformat_open_input(&format, utf8_of(path).c_str(), nullptr, nullptr);
    if (opened < 0) {
        *problem = open_problem(opened);
        return false;
    }
    if (avformat_find_stream_info(format, nullptr) < 0) {
        *problem = load_text(IDS_MEDIA_NOT_VIDEO);
        return false;
    }
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0) {
        *problem = index == AVERROR_DECODER_NOT_FOUND ? format_text(IDS_MEDIA_NO_DECODER, video_codec_name(*format).c_str())
                                                      : load_text(IDS_MEDIA_NO_VIDEO);
        return false;
    }
    track = format->streams[index];
    codec = avcodec_alloc_context3(decoder);
    packet = av_packet_alloc();
    if (!codec || !packet || avcodec_parameters_to_context(codec, track->codecpar) < 0) {
        *problem = format_text(IDS_MEDIA_UNREADABLE, L"out of memory");
        return false;
    }
    codec->thread_count = decoding_threads;
    codec->pkt_timebase = track->time_base;
    if (avcodec_open2(codec, decoder, nullptr) != 0) {
        *problem = format_text(IDS_MEDIA_NO_DECODER, widened(decoder->name).c_str());
        return false;
    }
    start = track->start_time != AV_NOPTS_VALUE ? track->start_time : 0;
    if (track->duration != AV_NOPTS_VALUE && track->duration > 0)
        length = ms_of(start + track->duration);
    else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        length = format->duration / (AV_TIME_BASE / 1000);
    return true;
}

int64_t Media_File::ms_of(int64_t track_time) const
{
    const int64_t ms = av_rescale_q(track_time - start, track->time_base, milliseconds);
    return ms > 0 ? ms : 0;
}

bool Media_File::feed_decoder()
{
    while (!drained) {
        if (av_read_frame(format, packet) < 0) {
            // The end of the file, or a part that cannot be read, which
            // ends it as well: the decoder hands out what it still holds.
            drained = true;
            return avcodec_send_packet(codec, nullptr) == 0;
        }
        const bool video = packet->stream_index == track->index;
        const int sent = video ? avcodec_send_packet(codec, packet) : AVERROR_INVALIDDATA;
        av_packet_unref(packet);
        // A damaged packet is skipped: the pictures after it may still decode.
        if (sent != AVERROR_INVALIDDATA)
            return sent == 0;
    }
    return false;
}

bool Media_File::next_picture(AVFrame* picture, int64_t* at_ms)
{
    for (;;) {
        const int received = avcodec_receive_frame(codec, picture);
        if (received == 0) {
            if (picture->best_effort_timestamp != AV_NOPTS_VALUE)
                last_ms = ms_of(picture->best_effort_timestamp);
            *at_ms = last_ms;
            return true;
        }
        if (received != AVERROR(EAGAIN) || !feed_decoder())
            return false;
    }
}

bool Media_File::rewind_to(int64_t ms)
{
    const int64_t target = start + av_rescale_q(ms, milliseconds, track->time_base);
    if (av_seek_frame(format, track->index, target, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec);
    drained = false;
    return true;
}
