// Stream: one live stream of one server channel.  A thread of the stream's
// own opens the RTSP session, receives the video, decodes it, paints whole
// pictures into the display window and hands the received packets to the
// recording, whose own writer takes them to disk.  While its sound is on,
// the thread also decodes the audio track and hands it to the library's
// player.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include <boost/thread/mutex.hpp>

#include "audio_backlog.h"
#include "lag_watch.h"
#include "latency_record.h"
#include "library_thread.h"
#include "mp4_recording.h"
#include "picture.h"
#include "picture_group.h"
#include "media_track.h"
#include "stream_end.h"
#include "stream_url.h"

struct AVFrame;
struct AVPacket;
class Audio_Decoder;
class Rtsp_Source;
class Video_Decoder;

// Frames over every stream since the library was loaded.
extern std::atomic<DWORD> library_frames_received;
extern std::atomic<DWORD> library_frames_painted;

struct Stream_Target {
    std::string server_ip;
    uint16_t port = 0;
    uint16_t channel = 0;
    std::string user_name;
    std::string password;
    HWND window = nullptr;
};

class Stream {
public:
    explicit Stream(const Stream_Target& target);
    ~Stream();  // only once stop() has ended the thread, or start() failed
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Starts the thread, which opens the session.
    bool start();
    // Waits up to `wait_ms` for the first picture or the end, so that a
    // caller's first state read tells the truth for a server nearby.
    void wait_settled(DWORD wait_ms);
    // Asks the thread to end, waiting only for a paint under way: it paints
    // no picture after this.
    void request_stop();
    // Ends the thread (the session with TEARDOWN) and closes the recording.
    // False when the thread did not end in time (see thread_ended) or the
    // recording's file is left for its writer to close once the disk lets it.
    bool stop();
    // Closes the recording, if any; false when its file is left for its
    // writer to close once the disk lets it.
    bool close_capture();
    // True once the thread has ended.
    bool finish_stop(DWORD wait_ms);
    // False while the thread may still run: the stream must then be left
    // alone, never deleted.
    bool thread_ended() const { return thread == nullptr; }

    int state() const;
    // The host and port of the URL the stream plays; false until its
    // thread has made the URL from the template.
    bool endpoint(Url_Endpoint* played) const;
    // Why the stream failed or ended (kind HIK_END_NONE while it runs), and
    // the URL it played, without its login.
    Stream_End end(std::string* url) const;
    uint16_t channel() const { return target.channel; }
    // Makes `recording` the stream's recording, starting it with the last
    // key frame received (the next when the group was too long to keep);
    // returns the one it replaces (null when none), for the caller to close
    // outside every lock.
    Mp4_Recording* start_capture(Mp4_Recording* recording);
    // The running recording, taken from the stream; null when none.
    Mp4_Recording* take_capture();
    // The codec of the session's audio track: AV_CODEC_ID_NONE when it has
    // none, -1 while the session is not yet playing.
    int audio_codec() const { return audio_codec_id.load(); }
    // Plays the stream's sound from now on, in place of any other stream's;
    // false when its audio track is missing or not of a codec played here.
    bool start_sound();
    // Silences the stream, if it was the one sounding.
    void stop_sound();
    // A reference to the last picture shown, in `into`; false unless the
    // stream is running: the picture of a lost stream is not live.
    bool shown_picture(AVFrame* into) const;
    void set_picture(const Picture_Values& values);
    Picture_Values picture() const;
    DWORD frames_received() const { return received.load(); }
    DWORD frames_painted() const { return painted.load(); }
    // Capture to painted, over the last pictures; false before the server
    // has sent a sender report.
    bool latency(double share, int64_t* ms) const;
    // The CPU time the stream's thread has spent on it; for benchmarks.
    DWORD thread_cpu_ms() const { return cpu.spent_ms(); }

private:
    static DWORD WINAPI thread_main(void* stream);
    std::string server_address() const;
    void run();
    Stream_End receive(Rtsp_Source& source, Video_Decoder& decoder);
    bool take_packet(Rtsp_Source& source, Video_Decoder& decoder, const AVPacket& packet, AVPacket* held);
    bool know_tracks(const AVStream& video, const AVStream* audio);
    void take_audio(const AVPacket& packet, AVRational time_base, std::unique_ptr<Audio_Decoder>& decoder);
    void record_audio(const AVPacket& packet);
    void note_size(const AVFrame& picture);
    void replay_group(Mp4_Recording& into);
    void record(const AVPacket& packet);
    void show(const AVFrame& picture, int64_t wall_time_of_zero, AVRational time_base);
    void keep_shown(const AVFrame& picture);
    void note_latency(int64_t pts, int64_t wall_time_of_zero, AVRational time_base);
    void end_with(int state, const Stream_End& why);

    const Stream_Target target;
    HANDLE thread = nullptr;    // set once the thread has finished with the stream
    HANDLE settled = nullptr;   // the state left "connecting": first picture, or the end
    std::atomic<bool> stopping{false};
    std::atomic<int> current_state;
    std::atomic<DWORD> received{0};
    std::atomic<DWORD> painted{0};
    Work_Clock cpu;
    std::atomic<int64_t> last_picture_ms{0};  // on av_gettime_relative's clock
    std::atomic<int> audio_codec_id{-1};
    std::atomic<bool> sounding{false};

    // The stream's thread alone uses these.
    Picture_Painter painter;
    Lag_Watch lag;
    bool catching_up = false;   // packets are skipped up to the next key frame
    bool last_read_waited = false;  // the packet before had to be waited for
    unsigned timely_pictures = 0;  // whole pictures on time, painted or not

    boost::mutex painting;      // held while a picture is painted
    mutable boost::mutex shown_lock;  // guards last_shown
    AVFrame* last_shown = nullptr;    // a reference to the last picture painted
    mutable boost::mutex lock;  // guards what follows; never held for I/O
    Media_Track track;          // known once the session plays
    Media_Track audio_track;    // likewise, when the session has audio
    Latency_Record latencies;
    Picture_Group group;        // since the last key frame, for a recording's start
    Audio_Backlog recent_audio; // the last second, likewise
    Mp4_Recording* recording = nullptr;
    Picture_Values values;
    std::string played_url;     // without its login; empty until made
    Stream_End ending;          // why it failed or ended
};
