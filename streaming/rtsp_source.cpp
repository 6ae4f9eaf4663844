#include "rtsp_source.h"

#include "hikclient.h"

extern "C" {
#include <libavutil/time.h>
}

namespace {

// A server silent for this long during the open has broken the stream off.
const int64_t silence_limit_ms = 5000;
// What the TEARDOWN of a close may take.
const int64_t close_grace_ms = 300;
// A read that took this long waited for the network rather than taking
// what was already there: a packet's time under Wine is well below it.
const int64_t network_wait_us = 10000;
// libavformat's own socket timeout, below the silence limit, so that a
// connect that is never answered ends as a timeout of the socket.
const char socket_timeout_us[] = "4000000";

} // namespace

int state_for_open_error(int error)
{
    switch (error) {
    case AVERROR_HTTP_UNAUTHORIZED:
    case AVERROR_HTTP_FORBIDDEN:
    case AVERROR_HTTP_NOT_FOUND:
        return HIK_STATE_REFUSED;
    // Servers answer a channel without a picture with 503; libavformat
    // reports every 5xx answer alike.
    case AVERROR_HTTP_SERVER_ERROR:
        return HIK_STATE_NO_SIGNAL;
    // No connection to the server's port: refused or unanswered connect,
    // no route, a name that does not resolve.  (A server that took the
    // connection and then never answered ends as a reply that could not be
    // read: broken off.)
    case AVERROR(ECONNREFUSED):
    case AVERROR(ETIMEDOUT):
    case AVERROR(EHOSTUNREACH):
    case AVERROR(ENETUNREACH):
    case AVERROR(EIO):
    case AVERROR_EXIT:
        return HIK_STATE_UNREACHABLE;
    default:
        return HIK_STATE_BROKEN_OFF;
    }
}

Rtsp_Source::Rtsp_Source(const std::atomic<bool>& stopping) : stopping(stopping) {}

Rtsp_Source::~Rtsp_Source()
{
    close();
}

int Rtsp_Source::interrupted(void* opaque)
{
    Rtsp_Source* source = static_cast<Rtsp_Source*>(opaque);
    if (source->stopping.load() && !source->closing.load())
        return 1;
    return av_gettime_relative() > source->deadline_us.load() ? 1 : 0;
}

void Rtsp_Source::wait_at_most(int64_t ms)
{
    deadline_us.store(av_gettime_relative() + ms * 1000);
}

int Rtsp_Source::open(const Stream_Address& address)
{
    if (address.url.empty())
        return HIK_STATE_REFUSED;  // a template without a scheme names nothing to ask
    context = avformat_alloc_context();
    if (!context)
        return HIK_STATE_BROKEN_OFF;
    context->interrupt_callback.callback = &Rtsp_Source::interrupted;
    context->interrupt_callback.opaque = this;
    context->flags |= AVFMT_FLAG_NOBUFFER;
    AVDictionary* options = nullptr;
    // Every av_dict_set below copies short constant texts; one that failed
    // for want of memory leaves libavformat's default for that option.
    (void)av_dict_set(&options, "rtsp_transport", address.udp ? "udp" : "tcp", 0);
    (void)av_dict_set(&options, "timeout", socket_timeout_us, 0);
    // A recorder's audio comes beside the video; any other media is left
    // alone.
    (void)av_dict_set(&options, "allowed_media_types", "video+audio", 0);
    wait_at_most(silence_limit_ms);
    const AVInputFormat* rtsp = av_find_input_format("rtsp");
    const int opened = avformat_open_input(&context, address.url.c_str(), rtsp, &options);
    av_dict_free(&options);
    if (opened < 0)  // the context is freed by the failed open
        return stopping.load() ? HIK_STATE_BROKEN_OFF : state_for_open_error(opened);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* track = context->streams[i];
        if (track->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !video_stream)
            video_stream = track;
        else if (track->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && !audio_stream)
            audio_stream = track;
    }
    return video_stream ? HIK_STATE_CONNECTING : HIK_STATE_BROKEN_OFF;
}

bool Rtsp_Source::read(AVPacket* packet, int64_t deadline)
{
    deadline_us.store(deadline);
    const int64_t began = av_gettime_relative();
    for (;;) {
        if (av_read_frame(context, packet) < 0)
            return false;
        waited = av_gettime_relative() - began >= network_wait_us;
        if (packet->stream_index == video_stream->index ||
            (audio_stream && packet->stream_index == audio_stream->index))
            return true;
        av_packet_unref(packet);
    }
}

void Rtsp_Source::close()
{
    if (!context)
        return;
    closing.store(true);
    wait_at_most(close_grace_ms);
    avformat_close_input(&context);
    video_stream = nullptr;
    audio_stream = nullptr;
}
