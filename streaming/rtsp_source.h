// Rtsp_Source: one RTSP session read through libavformat: the open with
// its login, the packets of its video track and of its first audio track,
// and a close that ends the session with TEARDOWN.  Every wait inside libavformat is bounded: by a stop, by
// the silence limit, and while closing by a short grace.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

#include <boost/thread/mutex.hpp>

#include "ffmpeg_messages.h"
#include "stream_end.h"
#include "stream_url.h"

class Rtsp_Source : private Message_Sink {
public:
    // `stopping` ends every wait at once, except the TEARDOWN of close().
    explicit Rtsp_Source(const std::atomic<bool>& stopping);
    ~Rtsp_Source();
    Rtsp_Source(const Rtsp_Source&) = delete;
    Rtsp_Source& operator=(const Rtsp_Source&) = delete;

    // Opens the session and finds its video and audio tracks; the library's state
    // code for how it failed (HIK_STATE_*), or HIK_STATE_CONNECTING when
    // the session plays.
    int open(const Stream_Address& address);
    // The next packet of the video or the audio track (told apart by its
    // stream index); false when the session ended,
    // broke, was stopped, or no packet came before `deadline_us` (on
    // libavformat's relative clock, av_gettime_relative).
    bool read(AVPacket* packet, int64_t deadline_us);
    // Whether the last read had to wait for its packet: nothing newer was
    // waiting to be read, so the stream is as fresh as the server sends it.
    bool last_read_waited() const { return waited; }
    // Ends the session (TEARDOWN within a short grace) and frees it.
    void close();
    // Why the open failed, once open() answered anything but "connecting".
    Stream_End open_end() const;
    // Why the packets ended, once read() answered false.
    Stream_End reading_end() const;

    const AVStream* video() const { return video_stream; }
    // Null when the session has no audio track.
    const AVStream* audio() const { return audio_stream; }
    // The wall time (microseconds since 1970) of presentation time 0, once
    // the server's first RTCP sender report has told it; else AV_NOPTS_VALUE.
    int64_t wall_time_of_zero() const { return context ? context->start_time_realtime : AV_NOPTS_VALUE; }

private:
    static int interrupted(void* source);
    void take_error(const std::string& line) override;
    std::string last_line() const;
    void wait_at_most(int64_t ms);

    const std::atomic<bool>& stopping;
    AVFormatContext* context = nullptr;
    const AVStream* video_stream = nullptr;
    const AVStream* audio_stream = nullptr;
    std::atomic<bool> closing{false};
    std::atomic<int64_t> deadline_us{0};  // on libavformat's relative clock
    bool waited = false;
    int open_error = 0;
    int64_t open_ms = 0;  // what the open took
    int read_error = 0;
    mutable boost::mutex said_lock;  // guards what libavformat said, below
    Rtsp_Refusal refusal;            // the server's refusal of a request
    std::string last_error_line;     // libavformat's last error line
};

// The library's state for an open that failed with `error`.
int state_for_open_error(int error);
