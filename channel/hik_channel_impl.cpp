// Hik_Channel_Impl: life with the streaming library, the live stream, the
// connection-state check, recording, audio and the state report.
//
// Narrow messages of this file are compiled in code page 936 (GBK), the
// code page the log is read in.
#include "hik_channel_impl.h"

#include "stream_reason.h"

#include <cstring>

#include "logger.h"
#include "method_trace.h"
#include "service_address.h"
#include "streaming_library.h"
#include "text_convert.h"
#include "unique_file.h"
#include "web_service.h"

#include <cstddef>

static_assert(sizeof(Client_Info) == 24, "Client_Info is 24 bytes on 32-bit Windows");
static_assert(offsetof(Client_Info, link_mode) == 1 && offsetof(Client_Info, multicast) == 2 &&
                  offsetof(Client_Info, server_ip) == 4 && offsetof(Client_Info, user_name) == 8 &&
                  offsetof(Client_Info, password) == 12 && offsetof(Client_Info, reserved) == 16 &&
                  offsetof(Client_Info, display_window) == 20,
              "Client_Info offsets");

namespace {

const UINT library_message = 3000;
const DWORD connect_wait_ms = 3000;
const DWORD connect_poll_ms = 5;
const size_t login_text_bytes = 40;
const size_t address_bytes = 1024;  // a stream URL of 255 characters in any code page
const size_t record_path_bytes = 512;
const int state_connecting = HIK_STATE_CONNECTING;
const int state_running = HIK_STATE_RUNNING;

// How the first state read after starting a stream is taken; states not
// listed count as connected.
struct State_Verdict {
    int state;
    const char* message;
};

const State_Verdict failed_states[] = {
    {-1, "无效\n"},
    {3, "异常退出\n"},
    {5, "无法联系服务端\n"},
    {6, "服务端拒绝访问\n"},
};

void log_connected(long handle, int state)
{
    Logger::instance().write(log_status, "服务端正常 handle:%d ,RESULT  为 %d\n", static_cast<int>(handle), state);
}

// The library's state of the stream; false when reading it raised.
bool read_state(long handle, int* state)
{
    try {
        *state = streaming::MP4_ClientGetState(handle);
        return true;
    } catch (...) {
        return false;
    }
}

// Follows a connecting stream until it runs or fails, for at most the
// connect wait; false when a read raised.
bool wait_while_connecting(long handle, int* state)
{
    const DWORD started = GetTickCount();
    while (*state == state_connecting && GetTickCount() - started < connect_wait_ms) {
        Sleep(connect_poll_ms);
        if (!read_state(handle, state))
            return false;
    }
    return true;
}

bool stream_running(long handle)
{
    int state = 0;
    return read_state(handle, &state) && state == state_running;
}

// The one translation of the library's state codes into the channel's.
// Codes the library does not name count as broken off.
Stream_State library_state(int code)
{
    switch (code) {
    case HIK_STATE_UNKNOWN_HANDLE:
        return Stream_State::none;
    case HIK_STATE_CONNECTING:
        return Stream_State::connecting;
    case HIK_STATE_RUNNING:
        return Stream_State::running;
    case HIK_STATE_NO_SIGNAL:
        return Stream_State::no_signal;
    case HIK_STATE_UNREACHABLE:
        return Stream_State::unreachable;
    case HIK_STATE_REFUSED:
        return Stream_State::refused;
    default:
        return Stream_State::broken_off;
    }
}

bool file_exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Starts the library's capture into a new file.  A name already on disk is
// never handed over: a library that replaces files would destroy it.
Create_Outcome start_capture_as(long handle, char* path)
{
    if (file_exists(path))
        return Create_Outcome::name_taken;
    if (streaming::MP4_ClientStartCaptureFile(handle, path))
        return Create_Outcome::created;
    // Made meanwhile by another recording of the same second.
    return file_exists(path) ? Create_Outcome::name_taken : Create_Outcome::failed;
}

} // namespace

Hik_Channel_Impl::Hik_Channel_Impl(const Channel_Param& param, HWND control_window)
    : Channel_Impl(param)
{
    KELM_TRACE("Hik_Channel_Impl::Hik_Channel_Impl");
    // Without the library the log has named it, and every later call of the
    // channel reaches a failing stand-in: the open fails with code 10.
    if (!streaming_library_ready())
        return;
    // The library's own verdicts on its settings are of no use to a channel.
    (void)streaming::MP4_ClientSetNetPort(static_cast<WORD>(param.server_port), static_cast<WORD>(param.client_port));
    (void)streaming::MP4_ClientSetTTL(static_cast<BYTE>(param.ttl));
    (void)streaming::MP4_ClientStartup(library_message, control_window);
}

// The stream is not stopped here: the pane closes the channel first.
Hik_Channel_Impl::~Hik_Channel_Impl()
{
    KELM_TRACE("Hik_Channel_Impl::~Hik_Channel_Impl");
    (void)streaming::MP4_ClientCleanup();
}

int Hik_Channel_Impl::open_channel()
{
    KELM_TRACE("Hik_Channel_Impl::open_channel");
    long handle = -1;
    if (start_stream(param, true, &handle) != 0)
        return -1;
    Logger::instance().write(log_status, "open channel:%d failure result is %d \n", param.channel_index,
                             static_cast<int>(handle));
    if (check_connect_state(handle) != 0) {
        Logger::instance().write(log_status, "open channel:%d failure \n", param.channel_index);
        log_reason(handle);
        set_last_error(10);
        // The library would otherwise keep connecting and painting into the
        // pane for a channel nobody holds.
        if (handle != -1)
            (void)streaming::MP4_ClientStop(handle);
        return -1;
    }
    stream_handle = handle;
    connected = true;
    stream_on = true;
    report_video_signal();
    return 0;
}

// Starts a stream of the channel's server and channel with the login of
// `source`.  Texts that do not fit the library's 40-byte fields are refused
// rather than cut.
int Hik_Channel_Impl::start_stream(const Channel_Param& source, bool wait, long* handle)
{
    char address[address_bytes], user[login_text_bytes], password[login_text_bytes];
    if (!wide_to_ansi(param.server_ip.c_str(), address, sizeof address) ||
        !wide_to_ansi(source.user_name.c_str(), user, sizeof user) ||
        !wide_to_ansi(source.password.c_str(), password, sizeof password)) {
        set_last_error(10);
        return -1;
    }
    Client_Info info = {};
    info.channel = static_cast<BYTE>(param.channel_index);
    info.link_mode = 1;
    info.multicast = 0;
    info.server_ip = address;
    info.user_name = user;
    info.password = password;
    info.reserved = 0;
    info.display_window = param.display_window;
    try {
        *handle = wait ? streaming::MP4_ClientStart(&info, nullptr) : streaming::HIK_ClientStartNoWait(&info);
    } catch (...) {
        Logger::instance().write(log_status, "open channel:%d raise exception \n", param.channel_index);
        set_last_error(10);
        return -1;
    }
    return 0;
}

int Hik_Channel_Impl::check_connect_state(long handle)
{
    int first;
    if (!read_state(handle, &first))
        return -1;
    if (first == state_connecting) {
        int second = first;
        if (!wait_while_connecting(handle, &second))
            return -1;
        if (second != state_running)
            return refuse_connection(failed_states[0].message);
    }
    for (const State_Verdict& verdict : failed_states) {
        if (verdict.state == first)
            return refuse_connection(verdict.message);
    }
    log_connected(handle, first);
    return 0;
}

// The channel stays open: the service link answers as before, and the
// stream can be started again.  Stopping it closes its recording.
void Hik_Channel_Impl::pause_stream()
{
    if (!stream_on)
        return;
    stream_on = false;
    audio_on = false;  // the library's sound ends with the stream
    (void)streaming::MP4_ClientStop(stream_handle);  // a stream the library lost is gone either way
}

// A stream started again after a loss is followed by the caller from here
// on, so nothing waits for it, the video signal is not asked and nothing is
// traced: a server that keeps refusing must not fill the log.  The ports
// are the library's, set for every stream it starts.
Stream_State Hik_Channel_Impl::resume_stream(const Channel_Param& latest)
{
    if (!connected)
        return Stream_State::none;
    pause_stream();
    // The library's own verdicts on its settings are of no use to a channel.
    (void)streaming::MP4_ClientSetNetPort(static_cast<WORD>(latest.server_port),
                                          static_cast<WORD>(latest.client_port));
    (void)streaming::MP4_ClientSetTTL(static_cast<BYTE>(latest.ttl));
    long handle = -1;
    if (start_stream(latest, false, &handle) != 0 || handle == -1)
        return Stream_State::none;
    int code = HIK_STATE_UNKNOWN_HANDLE;
    const Stream_State state = read_state(handle, &code) ? library_state(code) : Stream_State::none;
    if (state != Stream_State::connecting && state != Stream_State::running) {
        (void)streaming::MP4_ClientStop(handle);  // what it holds is no stream worth keeping
        return state;
    }
    stream_handle = handle;
    stream_on = true;
    return state;
}

Stream_State Hik_Channel_Impl::stream_state()
{
    int code = HIK_STATE_UNKNOWN_HANDLE;
    if (!connected || !stream_on || !read_state(stream_handle, &code))
        return Stream_State::none;
    return library_state(code);
}

Stream_Reason Hik_Channel_Impl::stream_reason()
{
    return connected && stream_on ? reason_of(stream_handle) : Stream_Reason();
}

Stream_Reason Hik_Channel_Impl::reason_of(long handle) const
{
    HIK_STREAM_END end = {};
    end.size = sizeof end;
    if (!streaming::HIK_ClientStreamEnd(handle, &end))
        return Stream_Reason();
    return stream_reason_of(end);
}

void Hik_Channel_Impl::log_reason(long handle) const
{
    const Stream_Reason why = reason_of(handle);
    if (why.kind != Stream_End_Kind::none)
        Logger::instance().write(log_status, "channel %d: %s\n", param.channel_index, why.text.c_str());
}

bool Hik_Channel_Impl::stream_endpoint(std::string* host, unsigned short* port)
{
    char named[256];
    WORD played = 0;
    if (!connected || !stream_on || !streaming::HIK_ClientStreamEndpoint(stream_handle, named, sizeof named, &played))
        return false;
    *host = named;
    *port = played;
    return true;
}

int Hik_Channel_Impl::refuse_connection(const char* message)
{
    set_last_error(10);
    Logger::instance().write(log_status, "%s", message);
    return -1;
}

void Hik_Channel_Impl::report_video_signal()
{
    if (!web_service)
        return;
    bool signal = false;
    if (web_service->videosignal(param.channel_index, signal) == 0)
        Logger::instance().write(log_status, "r 为 %d \n", signal ? 1 : 0);
    web_service->release_results();
}

int Hik_Channel_Impl::close_channel()
{
    KELM_TRACE("Hik_Channel_Impl::close_channel");
    connected = false;
    stream_on = false;
    audio_on = false;  // the library's sound ends with the stream
    return streaming::MP4_ClientStop(stream_handle) ? 0 : -1;
}

int Hik_Channel_Impl::get_channel_state(Channel_State* state)
{
    KELM_TRACE("Hik_Channel_Impl::get_channel_state");
    if (!connected || !state)
        return -1;
    // The address fitted when the stream opened; the record holds 19 bytes
    // of it and the terminating zero.  A stream URL is named by its host.
    char whole[address_bytes];
    const std::wstring named = plays_stream_url() ? stream_url_host(param.server_ip) : param.server_ip;
    (void)wide_to_ansi(named.c_str(), whole, sizeof whole);
    memset(state->server_ip, 0, sizeof state->server_ip);
    memcpy(state->server_ip, whole, strnlen(whole, sizeof state->server_ip - 1));
    state->channel_index = param.channel_index;
    return 0;
}

int Hik_Channel_Impl::start_recorde(const std::wstring& directory)
{
    KELM_TRACE("Hik_Channel_Impl::start_recorde");
    if (!connected) {
        Logger::instance().write(log_status, "do not connect can't record!");
        set_last_error(9);
        return -1;
    }
    // Without a directory the file would land wherever the host's current
    // directory happens to be.
    if (directory.empty()) {
        Logger::instance().write(log_status, "file path is empty!!");
        set_last_error(7);
        return -1;
    }
    // A recording of a stream that delivers no frames would hold its header
    // alone, and the host would take it for a recording under way.
    if (!stream_on || !stream_running(stream_handle)) {
        Logger::instance().write(log_status, "stream is not running, can't record!");
        set_last_error(9);
        return -1;
    }
    char folder[record_path_bytes];
    char path[record_path_bytes];
    const long handle = stream_handle;
    if (!wide_to_ansi(directory.c_str(), folder, sizeof folder) ||
        !create_under_free_name(folder, param.channel_index, ".mp4", path, sizeof path,
                                [handle](char* name) { return start_capture_as(handle, name); })) {
        Logger::instance().write(log_status, "record file can't be created!");
        set_last_error(9);
        return -1;
    }
    return 0;
}

int Hik_Channel_Impl::stop_recorde()
{
    if (connected)
        return streaming::MP4_ClientStopCapture(stream_handle) ? 0 : -1;
    try {
        return streaming::MP4_ClientStopCapture(stream_handle) ? 0 : -1;
    } catch (...) {
        Logger::instance().write(log_status, "can not stop file record!!");
        return -1;
    }
}

int Hik_Channel_Impl::start_audio()
{
    KELM_TRACE("Hik_Channel_Impl::start_audio");
    if (!connected)
        return -1;
    if (!streaming::MP4_ClientAudioStart(stream_handle)) {
        log_sound_refused();
        return -1;
    }
    audio_on = true;
    return 0;
}

// Says why a stream's sound could not start: no audio track, or one of a
// codec that is not played.
void Hik_Channel_Impl::log_sound_refused() const
{
    char codec[32];
    if (!streaming::HIK_ClientAudioCodec(stream_handle, codec, sizeof codec))
        return;  // the stream is not playing: its state says why
    if (strcmp(codec, "none") == 0)
        Logger::instance().write(log_status, "channel %d has no audio track\n", param.channel_index);
    else
        Logger::instance().write(log_status, "channel %d audio codec %s is not played\n", param.channel_index, codec);
}

int Hik_Channel_Impl::stop_audio()
{
    if (!connected || !streaming::MP4_ClientAudioStop())
        return -1;
    audio_on = false;
    return 0;
}

void Hik_Channel_Impl::set_audio_volume(int volume)
{
    if (!connected)
        return;
    audio_volume = volume;
    (void)streaming::MP4_ClientAudioVolume(static_cast<WORD>(volume));  // the library keeps no verdict worth having
}

int Hik_Channel_Impl::get_audio_volume()
{
    return connected ? audio_volume : -1;
}

int Hik_Channel_Impl::take_last_error(int, int)
{
    const int code = last_error;
    last_error = 0;
    return code;
}

const char* stream_state_name(Stream_State state)
{
    switch (state) {
    case Stream_State::connecting:
        return "connecting";
    case Stream_State::running:
        return "running";
    case Stream_State::broken_off:
        return "broken off";
    case Stream_State::no_signal:
        return "no signal";
    case Stream_State::unreachable:
        return "unreachable";
    case Stream_State::refused:
        return "refused";
    case Stream_State::none:
        break;
    }
    return "gone";
}
