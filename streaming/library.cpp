// hikclient.dll's exported functions: start-up counting, the net settings,
// and the table of streams that the handles name.
#define HIKCLIENT_BUILDING
#include "hikclient_test.h"

#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <vector>

#include <boost/thread/mutex.hpp>

extern "C" {
#include <libavformat/avformat.h>
}

#include "ffmpeg_messages.h"
#include "jpeg_picture.h"
#include "mp4_recording.h"
#include "sound_player.h"
#include "stream.h"

namespace {

// What the last clean-up gives each stream's thread to end.
const DWORD stop_wait_ms = 5000;

struct Library {
    boost::mutex lock;
    int startups = 0;
    WORD server_port = 12000;
    LONG next_handle = 1;
    std::map<LONG, Stream*> streams;
    // Stopped streams whose thread was still finishing a paint or a read;
    // freed once it has ended, at the latest by the last clean-up.
    std::vector<Stream*> ending;
    LONG audio_stream = -1;  // the stream whose sound plays
};

Library& library()
{
    static Library instance;
    return instance;
}

// The longest text of Client_Info, with its terminating zero.
const size_t client_text_bytes = 40;
const size_t server_text_bytes = 1024;  // a stream URL, in the ANSI code page

// Texts of Client_Info longer than 39 bytes are refused.
bool usable_text(const char* text, size_t most_bytes = client_text_bytes)
{
    return text && strnlen(text, most_bytes) < most_bytes;
}

Stream* find_stream(Library& lib, LONG handle)
{
    auto it = lib.streams.find(handle);
    return it == lib.streams.end() ? nullptr : it->second;
}

// Runs `use` on the stream of `handle` under the library's lock; `unknown`
// when no stream has that handle.
template <class Result, class Use>
Result with_stream(LONG handle, Result unknown, Use use)
{
    Library& lib = library();
    boost::mutex::scoped_lock guard(lib.lock);
    Stream* stream = find_stream(lib, handle);
    return stream ? use(*stream, lib) : unknown;
}

// A stream whose thread has ended is freed.  One whose thread did not end
// in time goes back into the table, never freed under its thread: a later
// stop or the last clean-up tries again.
void release_or_keep(Library& lib, LONG handle, Stream* stream)
{
    if (stream->thread_ended()) {
        delete stream;
        return;
    }
    boost::mutex::scoped_lock guard(lib.lock);
    lib.streams[handle] = stream;
}

// Stops the streams taken out of the table, all threads asked at once.
void stop_all(Library& lib, std::map<LONG, Stream*>& ending)
{
    for (auto& entry : ending)
        entry.second->request_stop();
    for (auto& entry : ending) {
        (void)entry.second->stop();  // a stream left running is kept below
        release_or_keep(lib, entry.first, entry.second);
    }
}

// Frees the stopped streams whose threads have ended meanwhile; with
// `wait_ms`, gives each that long.  A thread that never ends keeps its
// stream, never freed under it.
void reap_ending(Library& lib, DWORD wait_ms)
{
    std::vector<Stream*> finishing;
    {
        boost::mutex::scoped_lock guard(lib.lock);
        finishing.swap(lib.ending);
    }
    std::vector<Stream*> left;
    for (Stream* stream : finishing) {
        if (stream->finish_stop(wait_ms))
            delete stream;
        else
            left.push_back(stream);
    }
    boost::mutex::scoped_lock guard(lib.lock);
    lib.ending.insert(lib.ending.end(), left.begin(), left.end());
}

// A stopped stream is freed once its thread has ended; until then it waits
// among the ending ones, which each stop frees as their threads end, and
// the last clean-up at the latest.
void let_end(Library& lib, Stream* stream)
{
    {
        boost::mutex::scoped_lock guard(lib.lock);
        lib.ending.push_back(stream);
    }
    reap_ending(lib, 0);
}

} // namespace

BOOL __stdcall MP4_ClientStartup(UINT, HWND)
{
    Library& lib = library();
    boost::mutex::scoped_lock guard(lib.lock);
    if (lib.startups == 0) {
        // The host hears nothing from FFmpeg: its error lines about a
        // session are kept with the stream, to tell why it ended.
        take_ffmpeg_messages();
    }
    if (avformat_network_init() != 0)
        return FALSE;
    ++lib.startups;
    return TRUE;
}

// The streams of other users of the library keep running until the last
// clean-up.
BOOL __stdcall MP4_ClientCleanup(void)
{
    Library& lib = library();
    std::map<LONG, Stream*> ending;
    bool last = false;
    {
        boost::mutex::scoped_lock guard(lib.lock);
        if (lib.startups == 0)
            return FALSE;
        if (--lib.startups == 0) {
            last = true;
            ending.swap(lib.streams);
            lib.audio_stream = -1;
        }
    }
    // Stopped outside the lock: the threads take a moment to end.
    stop_all(lib, ending);
    if (last) {
        reap_ending(lib, stop_wait_ms);
        Sound_Player::instance().shut_down(stop_wait_ms);  // no sound device outlives the last user
    }
    (void)avformat_network_deinit();  // balances this user's start-up; its sessions are closed by now
    return TRUE;
}

// The client port and the time-to-live are for RTP over UDP multicast,
// which this library does not receive: they are taken and not kept.
BOOL __stdcall MP4_ClientSetNetPort(WORD server_port, WORD)
{
    Library& lib = library();
    boost::mutex::scoped_lock guard(lib.lock);
    lib.server_port = server_port;
    return TRUE;
}

BOOL __stdcall MP4_ClientSetTTL(BYTE)
{
    return TRUE;
}

namespace {

// How long MP4_ClientStart waits for the first picture before it returns:
// a server on the local network has answered the login and sent a key
// frame by then, so the first state read already tells the truth; a slower
// one is still "connecting".
const DWORD first_picture_wait_ms = 500;

// What a stream of `info` is started with; false when the library is not
// started up.
bool target_for(const Client_Info* info, Stream_Target* target)
{
    Library& lib = library();
    boost::mutex::scoped_lock guard(lib.lock);
    if (lib.startups == 0)
        return false;
    target->server_ip = info->server_ip;
    target->port = lib.server_port;
    target->channel = info->channel;
    target->user_name = info->user_name;
    target->password = info->password;
    target->window = info->display_window;
    return true;
}

// Enters a started stream into the table under a new handle; -1 when the
// last clean-up came meanwhile, and the stream is stopped again.
LONG adopt(Library& lib, Stream* stream)
{
    LONG handle;
    {
        boost::mutex::scoped_lock guard(lib.lock);
        handle = lib.next_handle++;
        if (lib.startups > 0) {
            lib.streams[handle] = stream;
            return handle;
        }
    }
    (void)stream->stop();  // a thread that does not end is kept below
    release_or_keep(lib, handle, stream);
    return -1;
}

// A stream of `info` started and entered into the table after up to
// `wait_ms` for its first picture; -1 when it cannot be.
LONG start_stream(const Client_Info* info, DWORD wait_ms)
{
    if (!info || !usable_text(info->server_ip, server_text_bytes) || !usable_text(info->user_name) ||
        !usable_text(info->password))
        return -1;
    Stream_Target target;
    if (!target_for(info, &target))
        return -1;
    Stream* stream = new (std::nothrow) Stream(target);
    if (!stream)
        return -1;
    if (!stream->start()) {
        delete stream;
        return -1;
    }
    // Waited for outside the lock and before the stream is in the table:
    // other callers go on meanwhile, and no stop can reach the stream.
    if (wait_ms > 0)
        stream->wait_settled(wait_ms);
    return adopt(library(), stream);
}

} // namespace

LONG __stdcall MP4_ClientStart(Client_Info* info, MP4_Data_Callback)
{
    return start_stream(info, first_picture_wait_ms);
}

LONG __stdcall HIK_ClientStartNoWait(Client_Info* info)
{
    return start_stream(info, 0);
}

BOOL __stdcall HIK_ClientStreamEnd(LONG handle, HIK_STREAM_END* end)
{
    if (!end || end->size != sizeof(HIK_STREAM_END))
        return FALSE;
    Stream_End why;
    std::string url;
    if (!with_stream(handle, false, [&](Stream& stream, Library&) {
            why = stream.end(&url);
            return true;
        }))
        return FALSE;
    end->kind = why.kind;
    end->step = why.step;
    end->status = why.status;
    // Cut to fit: a reason is read by people, and a cut one still says most.
    (void)snprintf(end->url, sizeof end->url, "%s", url.c_str());
    (void)snprintf(end->detail, sizeof end->detail, "%s", why.detail.c_str());
    return TRUE;
}

BOOL __stdcall HIK_ClientStreamEndpoint(LONG handle, char* host, DWORD size, WORD* port)
{
    if (!host || size == 0 || !port)
        return FALSE;
    Url_Endpoint endpoint;
    if (!with_stream(handle, false, [&endpoint](Stream& stream, Library&) { return stream.endpoint(&endpoint); }))
        return FALSE;
    if (snprintf(host, size, "%s", endpoint.host.c_str()) >= static_cast<int>(size))
        return FALSE;
    *port = endpoint.port;
    return TRUE;
}

// The picture is referenced under the library's lock and encoded outside
// it, so other streams' calls do not wait for the encoder.
BOOL __stdcall HIK_ClientSnapshot(LONG handle, BYTE* jpeg, DWORD size, DWORD* written)
{
    if (!written)
        return FALSE;
    *written = 0;
    std::unique_ptr<AVFrame, void (*)(AVFrame*)> picture(av_frame_alloc(), [](AVFrame* frame) { av_frame_free(&frame); });
    std::vector<uint8_t> encoded;
    if (!picture ||
        !with_stream(handle, false, [&picture](Stream& stream, Library&) { return stream.shown_picture(picture.get()); }) ||
        !encode_jpeg(*picture, &encoded))
        return FALSE;
    *written = static_cast<DWORD>(encoded.size());
    if (!jpeg || encoded.size() > size)
        return FALSE;
    memcpy(jpeg, encoded.data(), encoded.size());
    return TRUE;
}

BOOL __stdcall MP4_ClientStop(LONG handle)
{
    Library& lib = library();
    Stream* stream;
    {
        boost::mutex::scoped_lock guard(lib.lock);
        stream = find_stream(lib, handle);
        if (!stream)
            return FALSE;
        lib.streams.erase(handle);
        if (lib.audio_stream == handle)
            lib.audio_stream = -1;
    }
    stream->stop_sound();
    // The thread ends the session (TEARDOWN, within its grace) on its own;
    // a host closing sixteen panes does not wait for sixteen servers.
    stream->request_stop();
    const bool closed = stream->close_capture();
    let_end(lib, stream);
    return closed ? TRUE : FALSE;
}

int __stdcall MP4_ClientGetState(LONG handle)
{
    return with_stream(handle, static_cast<int>(HIK_STATE_UNKNOWN_HANDLE),
                       [](Stream& stream, Library&) { return stream.state(); });
}

// The file is created and closed outside every lock, so other callers go
// on while the disk answers.  A capture starts only on a stream that is
// receiving pictures: on a dead one the file would stay empty.
BOOL __stdcall MP4_ClientStartCaptureFile(LONG handle, char* path)
{
    if (!path || !*path)
        return FALSE;
    uint16_t channel = 0;
    if (!with_stream(handle, false, [&channel](Stream& stream, Library&) {
            channel = stream.channel();
            return stream.state() == HIK_STATE_RUNNING;
        }))
        return FALSE;
    Mp4_Recording* recording = Mp4_Recording::create(path, channel);
    if (!recording)
        return FALSE;
    Mp4_Recording* displaced = recording;
    const bool attached = with_stream(handle, false, [&displaced](Stream& stream, Library&) {
        displaced = stream.start_capture(displaced);
        return true;
    });
    // The stream's earlier recording, or the new one when the stream was
    // stopped meanwhile; a file the disk holds up is closed by its writer.
    (void)Mp4_Recording::close(displaced);
    return attached ? TRUE : FALSE;
}

// TRUE when a recording was running and its file is closed on return.
BOOL __stdcall MP4_ClientStopCapture(LONG handle)
{
    Mp4_Recording* recording = nullptr;
    (void)with_stream(handle, false, [&recording](Stream& stream, Library&) {
        recording = stream.take_capture();
        return true;
    });
    if (!recording)
        return FALSE;
    return Mp4_Recording::close(recording) ? TRUE : FALSE;
}

// One stream sounds at a time: starting another silences the one before.
// A stream that is not running, or has no audio track played here, fails
// (HIK_ClientAudioCodec tells which codec it has).
BOOL __stdcall MP4_ClientAudioStart(LONG handle)
{
    return with_stream(handle, FALSE, [handle](Stream& stream, Library& lib) {
        if (stream.state() != HIK_STATE_RUNNING || !stream.start_sound())
            return FALSE;
        if (lib.audio_stream != handle) {
            if (Stream* before = find_stream(lib, lib.audio_stream))
                before->stop_sound();
        }
        lib.audio_stream = handle;
        return TRUE;
    });
}

BOOL __stdcall MP4_ClientAudioStop(void)
{
    Library& lib = library();
    boost::mutex::scoped_lock guard(lib.lock);
    Stream* sounding = find_stream(lib, lib.audio_stream);
    if (!sounding)
        return FALSE;
    sounding->stop_sound();
    lib.audio_stream = -1;
    return TRUE;
}

// The level of whatever sounds, now and later: linear, 0 silent, 0xFFFF the
// samples as the server sent them.
BOOL __stdcall MP4_ClientAudioVolume(WORD volume)
{
    Sound_Player::instance().set_volume(volume);
    return TRUE;
}

BOOL __stdcall HIK_ClientAudioCodec(LONG handle, char* name, DWORD size)
{
    if (!name || size == 0)
        return FALSE;
    int codec = -1;
    if (!with_stream(handle, false, [&codec](Stream& stream, Library&) {
            codec = stream.audio_codec();
            return true;
        }) ||
        codec < 0)
        return FALSE;
    const char* known = codec == AV_CODEC_ID_NONE ? "none" : avcodec_get_name(static_cast<AVCodecID>(codec));
    return snprintf(name, size, "%s", known) < static_cast<int>(size) ? TRUE : FALSE;
}

BOOL __stdcall HIK_ClientSoundStats(DWORD* blocks_played, DWORD* blocks_dropped, DWORD* cpu_ms, BOOL* device_open)
{
    const Sound_Counts counts = Sound_Player::instance().counts();
    if (blocks_played)
        *blocks_played = counts.blocks_played;
    if (blocks_dropped)
        *blocks_dropped = counts.blocks_dropped;
    if (cpu_ms)
        *cpu_ms = Sound_Player::instance().thread_cpu_ms();
    if (device_open)
        *device_open = counts.device_open ? TRUE : FALSE;
    return TRUE;
}

BOOL __stdcall MP4_ClientSetVideoPara(LONG handle, DWORD, int brightness, int contrast,
                                      int saturation, int hue)
{
    Picture_Values values;
    values.brightness = brightness;
    values.contrast = contrast;
    values.saturation = saturation;
    values.hue = hue;
    return with_stream(handle, FALSE, [&values](Stream& stream, Library&) {
        stream.set_picture(values);
        return TRUE;
    });
}

BOOL __stdcall MP4_ClientGetVideoPara(LONG handle, DWORD, int* brightness, int* contrast,
                                      int* saturation, int* hue)
{
    if (!brightness || !contrast || !saturation || !hue)
        return FALSE;
    Picture_Values values;
    if (!with_stream(handle, FALSE, [&values](Stream& stream, Library&) {
            values = stream.picture();
            return TRUE;
        }))
        return FALSE;
    *brightness = values.brightness;
    *contrast = values.contrast;
    *saturation = values.saturation;
    *hue = values.hue;
    return TRUE;
}

BOOL __stdcall HIK_ClientStreamStats(LONG handle, DWORD* frames_received, DWORD* frames_painted)
{
    return with_stream(handle, FALSE, [=](Stream& stream, Library&) {
        if (frames_received)
            *frames_received = stream.frames_received();
        if (frames_painted)
            *frames_painted = stream.frames_painted();
        return TRUE;
    });
}

BOOL __stdcall HIK_ClientLibraryStats(DWORD* frames_received, DWORD* frames_painted)
{
    if (frames_received)
        *frames_received = library_frames_received.load();
    if (frames_painted)
        *frames_painted = library_frames_painted.load();
    return TRUE;
}

BOOL __stdcall HIK_ClientStreamCpu(LONG handle, DWORD* cpu_ms)
{
    return with_stream(handle, FALSE, [=](Stream& stream, Library&) {
        if (cpu_ms)
            *cpu_ms = stream.thread_cpu_ms();
        return TRUE;
    });
}

BOOL __stdcall HIK_ClientStreamLatency(LONG handle, LONG* median_ms, LONG* p99_ms)
{
    int64_t median = 0, worst = 0;
    if (!with_stream(handle, false, [&](Stream& stream, Library&) {
            return stream.latency(0.5, &median) && stream.latency(0.99, &worst);
        }))
        return FALSE;
    if (median_ms)
        *median_ms = static_cast<LONG>(median);
    if (p99_ms)
        *p99_ms = static_cast<LONG>(worst);
    return TRUE;
}
