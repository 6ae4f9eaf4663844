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
const int64_t socket_timeout_ms = 4000;

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

void Rtsp_Source::take_error(const std::string& line)
{
    boost::mutex::scoped_lock guard(said_lock);
    Rtsp_Refusal answer;
    if (parse_refusal(line, &answer))
        refusal = answer;
    last_error_line = line;
}

std::string Rtsp_Source::last_line() const
{
    boost::mutex::scoped_lock guard(said_lock);
    return last_error_line;
}

Stream_End Rtsp_Source::open_end() const
{
    if (stopping.load())
        return Stream_End();
    if (!context && open_error == 0)
        return end_with_kind(HIK_END_FAILED, HIK_STEP_CONNECT, "the URL names no scheme (rtsp://)");
    if (open_error == 0)  // the session plays, but has no video track
        return end_with_kind(HIK_END_UNSUPPORTED, HIK_STEP_DESCRIBE, "the session has no video track");
    Rtsp_Refusal answer;
    {
        boost::mutex::scoped_lock guard(said_lock);
        answer = refusal;
    }
    return end_of_open(open_error, open_ms >= socket_timeout_ms, answer, last_line());
}

Stream_End Rtsp_Source::reading_end() const
{
    return stopping.load() ? Stream_End() : end_of_reading(read_error, last_line());
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
    watch_messages(context, this);
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
    const void* watched = context;
    const int64_t began = av_gettime_relative();
    const int opened = avformat_open_input(&context, address.url.c_str(), rtsp, &options);
    open_ms = (av_gettime_relative() - began) / 1000;
    av_dict_free(&options);
    if (opened < 0) {  // the context is freed by the failed open
        forget_messages(watched);
        open_error = opened;
        return stopping.load() ? HIK_STATE_BROKEN_OFF : state_for_open_error(opened);
    }
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
        const int read = av_read_frame(context, packet);
        if (read < 0) {
            read_error = read;
            return false;
        }
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
    forget_messages(context);
    avformat_close_input(&context);
    video_stream = nullptr;
    audio_stream = nullptr;
}
