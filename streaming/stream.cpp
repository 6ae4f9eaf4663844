#include <winsock2.h>
#include <ws2tcpip.h>

#include "stream.h"

#include <new>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

#include "audio_decoder.h"
#include "decode_gate.h"
#include "hikclient.h"
#include "library_thread.h"
#include "name_resolver.h"
#include "port_check.h"
#include "rtsp_source.h"
#include "sound_player.h"
#include "stream_url.h"
#include "video_decoder.h"

namespace {

const DWORD stop_wait_ms = 5000;
// What a server's name may take to resolve: the system's resolver has no
// bound of its own.
const DWORD name_lookup_ms = 3000;
// What the connect to the server's port may take.
const DWORD port_check_ms = 5000;
// A session that gives nothing decodable for this long (a server that
// never sends a key frame, or sends only damaged ones) is broken off.
const int64_t undecodable_limit_ms = 5000;
// What the thread is given beyond that limit to end the stream itself.
const int64_t stale_margin_ms = 500;
// Packets further behind than this are skipped up to the next key frame:
// a machine that cannot decode every stream shows fewer pictures, never
// older ones.
const int64_t catch_up_after_ms = 500;
// A picture whose packet came further behind than this is decoded but not
// painted: painting it would only keep the pane later than it need be.
const int64_t paint_late_limit_ms = 400;

int64_t now_ms()
{
    return av_gettime_relative() / 1000;
}

} // namespace

std::atomic<DWORD> library_frames_received{0};
std::atomic<DWORD> library_frames_painted{0};

Stream::Stream(const Stream_Target& target)
    : target(target), settled(CreateEventW(nullptr, TRUE, FALSE, nullptr)), current_state(HIK_STATE_CONNECTING)
{
}

Stream::~Stream()
{
    av_frame_free(&last_shown);
    if (settled)
        (void)CloseHandle(settled);  // nothing waits on it any more
}

bool Stream::start()
{
    if (!settled)
        return false;
    thread = start_library_thread(&Stream::thread_main, this);
    return thread != nullptr;
}

void Stream::wait_settled(DWORD wait_ms)
{
    (void)WaitForSingleObject(settled, wait_ms);  // a stream still connecting is the caller's to follow
}

// A running stream whose last picture is older than the limit is broken
// off, whatever its thread is doing: even a wait inside libavformat that
// missed its bound must not let a stale picture pass for live video.
int Stream::state() const
{
    const int state = current_state.load();
    if (state == HIK_STATE_RUNNING && now_ms() - last_picture_ms.load() > undecodable_limit_ms + stale_margin_ms)
        return HIK_STATE_BROKEN_OFF;
    return state;
}

bool Stream::endpoint(Url_Endpoint* where) const
{
    boost::mutex::scoped_lock guard(lock);
    if (played_url.empty())
        return false;
    *where = url_endpoint(played_url);
    return !where->host.empty();
}

// Waits for a paint under way (painting needs nothing of the window's
// thread, so a host thread that stops a stream never waits on itself).
void Stream::request_stop()
{
    stopping.store(true);
    boost::mutex::scoped_lock paint_done(painting);
}

bool Stream::stop()
{
    request_stop();
    if (!finish_stop(stop_wait_ms))
        return false;
    return close_capture();
}

bool Stream::close_capture()
{
    return Mp4_Recording::close(take_capture());
}

bool Stream::finish_stop(DWORD wait_ms)
{
    if (thread) {
        if (WaitForSingleObject(thread, wait_ms) != WAIT_OBJECT_0)
            return false;
        (void)CloseHandle(thread);  // the thread's run has ended
        thread = nullptr;
    }
    return true;
}

// Decoding is the host's background work: below its own threads, so that
// a machine short of CPU drops pictures rather than holding up the host's
// window.  The library's threads are shared, so the priority is put back.
DWORD WINAPI Stream::thread_main(void* stream)
{
    const bool lowered = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL) != FALSE;
    static_cast<Stream*>(stream)->run();
    if (lowered)
        (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);  // a thread may always lower or restore its own
    return 0;
}

// The server's name resolved within a bound, as a dotted address; empty
// when it does not resolve in time.
std::string Stream::server_address() const
{
    in_addr address;
    if (!resolve_within(address_host(target.server_ip).c_str(), address, name_lookup_ms))
        return std::string();
    char dotted[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &address, dotted, sizeof dotted) ? dotted : std::string();
}

// The URL is read from the registry at each open, so a changed setting
// holds from the next stream on.
void Stream::run()
{
    cpu.start();
    const std::string server = server_address();
    if (server.empty()) {
        end_with(HIK_STATE_UNREACHABLE,
                 end_with_kind(HIK_END_UNREACHABLE, HIK_STEP_CONNECT, "the name " + address_host(target.server_ip) + " does not resolve"));
        return;
    }
    const Stream_Address address =
        stream_address(target.server_ip, server, target.port, target.channel, target.user_name, target.password);
    {
        boost::mutex::scoped_lock guard(lock);
        played_url = url_without_login(address.url);
    }
    if (!address.url.empty() && !url_port_answers(address.url, port_check_ms, stopping)) {
        const Url_Endpoint endpoint = url_endpoint(address.url);
        end_with(HIK_STATE_UNREACHABLE,
                 end_with_kind(HIK_END_UNREACHABLE, HIK_STEP_CONNECT,
                               "nothing answers at " + endpoint.host + ":" + std::to_string(endpoint.port)));
        return;
    }
    Rtsp_Source source(stopping);
    const int opened = source.open(address);
    if (opened != HIK_STATE_CONNECTING) {
        end_with(opened, source.open_end());
        return;
    }
    Video_Decoder decoder;
    if (!know_tracks(*source.video(), source.audio()) || !decoder.open(*source.video())) {
        end_with(HIK_STATE_BROKEN_OFF,
                 end_with_kind(HIK_END_UNSUPPORTED, HIK_STEP_DECODE,
                               std::string("no decoder here for ") + avcodec_get_name(source.video()->codecpar->codec_id)));
    } else {
        end_with(HIK_STATE_BROKEN_OFF, receive(source, decoder));
    }
    source.close();  // TEARDOWN, within a short grace
    // The decoder is gone: its last picture goes with it.
    boost::mutex::scoped_lock guard(shown_lock);
    av_frame_free(&last_shown);
}

Stream_End Stream::end(std::string* url) const
{
    boost::mutex::scoped_lock guard(lock);
    *url = played_url;
    return ending;
}

// A stop request keeps the state the stream had; a failure sets its own,
// and why.
void Stream::end_with(int state, const Stream_End& why)
{
    if (!stopping.load()) {
        {
            boost::mutex::scoped_lock guard(lock);
            ending = why;
        }
        current_state.store(state);
    }
    (void)SetEvent(settled);  // a valid event
}

// Ends when the session does, or when nothing decodable came for the
// limit: packets that make no picture (a stall that lets a stray packet
// through, a server without key frames) do not keep a stream alive.
// Answers why it ended.
Stream_End Stream::receive(Rtsp_Source& source, Video_Decoder& decoder)
{
    AVPacket* packet = av_packet_alloc();
    AVPacket* held = av_packet_alloc();
    std::unique_ptr<Audio_Decoder> sound;  // while the sound is on
    Stream_End why = end_with_kind(HIK_END_FAILED, HIK_STEP_RECEIVE, "no memory for packets");
    if (packet && held) {
        int64_t last_picture = now_ms();
        bool packets_since_picture = false;
        for (;;) {
            if (stopping.load()) {
                why = Stream_End();
                break;
            }
            if (!source.read(packet, (last_picture + undecodable_limit_ms) * 1000)) {
                why = source.reading_end();
                if (why.kind == HIK_END_SILENT && packets_since_picture)
                    why.detail = "nothing decodable came for 5 s";
                break;
            }
            if (source.audio() && packet->stream_index == source.audio()->index) {
                take_audio(*packet, source.audio()->time_base, sound);
                av_packet_unref(packet);
                continue;
            }
            const unsigned pictures_before = timely_pictures;
            const bool decodable = take_packet(source, decoder, *packet, held);
            av_packet_unref(packet);
            if (!decodable) {
                why = end_with_kind(HIK_END_FAILED, HIK_STEP_DECODE, "the decoder failed");
                break;
            }
            packets_since_picture = timely_pictures == pictures_before;
            if (timely_pictures != pictures_before)
                last_picture = now_ms();
        }
    }
    av_packet_free(&held);  // a packet the session ended after may be cut short: never recorded
    av_packet_free(&packet);
    return why;
}

// Records the packet before this one (`held`), then decodes this one
// unless the stream is catching up.  A packet is recorded only once the
// next has come whole, so that one the connection broke in never reaches a
// file.  False when the decoder has failed for good.
bool Stream::take_packet(Rtsp_Source& source, Video_Decoder& decoder, const AVPacket& packet, AVPacket* held)
{
    received.fetch_add(1);
    library_frames_received.fetch_add(1);
    if (held->data)
        record(*held);
    av_packet_unref(held);
    if (av_packet_ref(held, &packet) < 0)
        av_packet_unref(held);  // without memory for the reference this packet goes unrecorded
    // Two packets in a row that had to be waited for mean the stream is not
    // behind at all, whatever their times say: the server's times moved.
    // (One alone may be a read the system held up.)
    const bool awaited = source.last_read_waited() && last_read_waited;
    last_read_waited = source.last_read_waited();
    const int64_t behind = lag.behind_ms(packet.pts, source.video()->time_base, now_ms(), awaited);
    if (behind > catch_up_after_ms)
        catching_up = true;
    if (catching_up && !(packet.flags & AV_PKT_FLAG_KEY)) {
        decoder.note_skipped();
        return true;
    }
    catching_up = false;
    Decode_Turn turn;
    return decoder.decode(packet, [&](const AVFrame& picture) {
        // A picture that comes long after its time (the last one before a
        // stall, let go by the demuxer when something else arrives) shows
        // nothing live: it keeps no stream alive.
        if (behind <= catch_up_after_ms) {
            ++timely_pictures;
            last_picture_ms.store(now_ms());
        }
        note_size(picture);
        if (current_state.load() == HIK_STATE_CONNECTING)
            end_with(HIK_STATE_RUNNING, Stream_End());
        if (behind <= paint_late_limit_ms)
            show(picture, source.wall_time_of_zero(), source.video()->time_base);
    });
}

// An audio track that could not be copied for want of memory is left out,
// as if the session had none.
bool Stream::know_tracks(const AVStream& video, const AVStream* audio)
{
    boost::mutex::scoped_lock guard(lock);
    const bool with_audio = audio && audio_track.copy_from(*audio);
    audio_codec_id.store(with_audio ? audio->codecpar->codec_id : AV_CODEC_ID_NONE);
    return track.copy_from(video);
}

// Audio is recorded as it comes, and played while the sound is on, except
// while the stream catches up with the server: sound from the backlog
// would only lag the picture.
void Stream::take_audio(const AVPacket& packet, AVRational time_base, std::unique_ptr<Audio_Decoder>& decoder)
{
    record_audio(packet);
    if (!sounding.load() || catching_up) {
        decoder.reset();  // a sound started again begins afresh
        return;
    }
    if (!decoder) {
        decoder.reset(new (std::nothrow) Audio_Decoder);
        if (!decoder || !decoder->open(*audio_track.parameters, time_base)) {  // set before the first packet
            sounding.store(false);
            return;
        }
    }
    decoder->decode(packet, [this](Pcm_Block& block, int64_t) {
        Sound_Player::instance().offer(this, std::move(block));
    });
}

void Stream::record_audio(const AVPacket& packet)
{
    boost::mutex::scoped_lock guard(lock);
    recent_audio.add(packet, audio_track.time_base);
    if (recording)
        recording->add_audio(packet);
}

bool Stream::start_sound()
{
    if (!audio_codec_playable(static_cast<AVCodecID>(audio_codec_id.load())))
        return false;
    sounding.store(true);
    if (Sound_Player::instance().select(this))
        return true;
    sounding.store(false);
    return false;
}

void Stream::stop_sound()
{
    if (sounding.exchange(false))
        Sound_Player::instance().release(this);
}

// The session description rarely gives the picture's size; a recording's
// header needs it, so it is taken from the pictures as they decode.
// A recording whose file began with pictures of another size goes on in a
// new file; the old file is closed on this thread, outside the lock.
void Stream::note_size(const AVFrame& picture)
{
    AVCodecParameters* parameters = track.parameters;  // set before the first packet, never changed after
    if (parameters->width == picture.width && parameters->height == picture.height)
        return;
    Mp4_Recording* finished = nullptr;
    {
        boost::mutex::scoped_lock guard(lock);
        parameters->width = picture.width;
        parameters->height = picture.height;
        if (recording && !recording->fits(picture.width, picture.height)) {
            finished = recording;
            // It begins with the key frame of the new size, which is
            // recorded next: a packet is recorded once the one after it came.
            recording = recording->next_file();
        }
    }
    (void)Mp4_Recording::close(finished);  // a file the disk holds up is closed by its writer
}

void Stream::record(const AVPacket& packet)
{
    boost::mutex::scoped_lock guard(lock);
    group.add(packet);
    if (recording)
        recording->add(track, packet);  // muxed in memory; the writer does the I/O
}

// Paints under `painting`, which a stop takes once it has set `stopping`:
// no picture lands in the window after the stop has returned.
void Stream::show(const AVFrame& picture, int64_t wall_time_of_zero, AVRational time_base)
{
    boost::mutex::scoped_lock guard_paint(painting);
    // A stream being stopped may belong to a pane that is closing.
    if (stopping.load())
        return;
    Picture_Values adjust;
    {
        boost::mutex::scoped_lock guard(lock);
        adjust = values;
    }
    if (painter.paint(target.window, picture, adjust)) {
        keep_shown(picture);
        painted.fetch_add(1);
        library_frames_painted.fetch_add(1);
        note_latency(picture.best_effort_timestamp, wall_time_of_zero, time_base);
    }
}

// The decoder's buffer is shared, not copied; it goes back to the
// decoder's pool when the next picture takes its place.
void Stream::keep_shown(const AVFrame& picture)
{
    boost::mutex::scoped_lock guard(shown_lock);
    if (!last_shown)
        last_shown = av_frame_alloc();
    if (!last_shown)
        return;
    av_frame_unref(last_shown);
    if (av_frame_ref(last_shown, &picture) < 0)
        av_frame_unref(last_shown);  // no picture kept rather than half of one
}

bool Stream::shown_picture(AVFrame* into) const
{
    if (state() != HIK_STATE_RUNNING)
        return false;
    boost::mutex::scoped_lock guard(shown_lock);
    return last_shown && last_shown->buf[0] && av_frame_ref(into, last_shown) == 0;
}

void Stream::note_latency(int64_t pts, int64_t wall_time_of_zero, AVRational time_base)
{
    if (pts == AV_NOPTS_VALUE || wall_time_of_zero == AV_NOPTS_VALUE)
        return;
    const int64_t captured_us = wall_time_of_zero + av_rescale_q(pts, time_base, AV_TIME_BASE_Q);
    boost::mutex::scoped_lock guard(lock);
    latencies.add((av_gettime() - captured_us) / 1000);
}

bool Stream::latency(double share, int64_t* ms) const
{
    boost::mutex::scoped_lock guard(lock);
    return latencies.percentile(share, ms);
}

Mp4_Recording* Stream::start_capture(Mp4_Recording* new_recording)
{
    boost::mutex::scoped_lock guard(lock);
    Mp4_Recording* replaced = recording;
    recording = new_recording;
    if (recording && audio_track.known())
        recording->expect_audio(audio_track);
    // The file covers the whole time asked for: it begins with the last key
    // frame received (or, when the group was too long to keep, the next).
    if (recording)
        replay_group(*recording);
    return replaced;
}

// A recording stopped before its first key frame came still gets the
// last group of pictures, so that no file is left without a picture.
Mp4_Recording* Stream::take_capture()
{
    boost::mutex::scoped_lock guard(lock);
    Mp4_Recording* taken = recording;
    recording = nullptr;
    if (taken && !taken->started())
        replay_group(*taken);
    return taken;
}

// Gives `into` the packets since the last key frame, and the sound of the
// last second; under the lock.
void Stream::replay_group(Mp4_Recording& into)
{
    if (track.known())
        group.for_each([this, &into](const AVPacket& packet) { into.add(track, packet); });
    // The sound of the same moments; what came before the first picture is
    // left out by the recording.
    recent_audio.for_each([&into](const AVPacket& packet) { into.add_audio(packet); });
}

void Stream::set_picture(const Picture_Values& new_values)
{
    boost::mutex::scoped_lock guard(lock);
    values = new_values;
}

Picture_Values Stream::picture() const
{
    boost::mutex::scoped_lock guard(lock);
    return values;
}
