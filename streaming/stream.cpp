#include "stream.h"

#include <cstring>

#include "hikclient.h"
#include "library_thread.h"
#include "recorder.h"

namespace {

const DWORD stop_wait_ms = 5000;
// A server that answers nothing for this long, during the handshake or
// between frames, has broken the stream off as surely as one that closed it.
const DWORD silence_limit_ms = 5000;

bool has_magic(const char (&magic)[4], const char* expected)
{
    return memcmp(magic, expected, 4) == 0;
}

void copy_text(char (&field)[STREAM_TEXT_BYTES], const std::string& text)
{
    memset(field, 0, sizeof field);
    memcpy(field, text.data(), text.size() < sizeof field ? text.size() : sizeof field - 1);
}

} // namespace

std::atomic<DWORD> library_frames_received{0};
std::atomic<DWORD> library_frames_painted{0};

Stream::Stream(const Stream_Target& target)
    : target(target), handed_over(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      stop_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)), settled(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      current_state(HIK_STATE_CONNECTING)
{
    connection.stop = stop_event;
    connection.stopping = &stopping;
}

Stream::~Stream()
{
    close_connection(connection);
    for (HANDLE event : {handed_over, stop_event, settled}) {
        if (event)
            (void)CloseHandle(event);  // nothing waits on it any more
    }
}

// The thread is started before the caller waits on the server, so its
// start overlaps the server's answer.
bool Stream::start()
{
    if (!handed_over || !stop_event || !settled)
        return false;
    if (!begin_connection())
        handshake = Handshake::over;
    thread = start_library_thread(&Stream::thread_main, this);
    return thread != nullptr;
}

// Leads the handshake, then waits for the first picture (or the end) in
// what is left of `wait_ms`: the caller's first state read then says
// "running" without polling for it.
void Stream::lead_handshake(DWORD wait_ms)
{
    const DWORD started = GetTickCount();
    while (handshake != Handshake::over) {
        const DWORD spent = GetTickCount() - started;
        if (spent >= wait_ms || !advance_handshake(wait_ms - spent))
            break;
    }
    (void)SetEvent(handed_over);  // a valid event
    const DWORD spent = GetTickCount() - started;
    if (login_accepted && spent < wait_ms)
        (void)WaitForSingleObject(settled, wait_ms - spent);  // a stream still connecting is the caller's to follow
}

void Stream::request_stop()
{
    stopping.store(true);
    (void)SetEvent(stop_event);  // a valid event; the flag alone also ends the thread
}

bool Stream::stop()
{
    request_stop();
    if (!finish_stop(stop_wait_ms))
        return false;
    return File_Writer::close(take_capture());
}

bool Stream::finish_stop(DWORD wait_ms)
{
    if (thread) {
        if (WaitForSingleObject(thread, wait_ms) != WAIT_OBJECT_0)
            return false;
        (void)CloseHandle(thread);  // the thread's run has ended
        thread = nullptr;
    }
    close_connection(connection);
    return true;
}

DWORD WINAPI Stream::thread_main(void* stream)
{
    static_cast<Stream*>(stream)->run();
    return 0;
}

void Stream::run()
{
    HANDLE waits[] = {stop_event, handed_over};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
        return;
    if (!finish_handshake(silence_limit_ms))
        return;
    if (login_accepted)
        receive_frames();
}

// The thread's part of the handshake; false, with the state it ended in,
// when the server stayed silent for `limit_ms`.
bool Stream::finish_handshake(DWORD limit_ms)
{
    const DWORD started = GetTickCount();
    while (handshake != Handshake::over) {
        const DWORD spent = GetTickCount() - started;
        if (spent >= limit_ms) {
            end_with(handshake == Handshake::connecting ? HIK_STATE_UNREACHABLE : HIK_STATE_BROKEN_OFF);
            return false;
        }
        (void)advance_handshake(limit_ms - spent);  // a step that timed out is taken up again
    }
    return true;
}

// A stop request keeps the state the stream had; a failure sets its own.
void Stream::end_with(int state)
{
    if (!stopping.load())
        current_state.store(state);
    (void)SetEvent(settled);  // a valid event
}

// False, with the state "unreachable", when the address is unusable or
// the socket cannot be made.
bool Stream::begin_connection()
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(target.port);
    address.sin_addr.s_addr = inet_addr(target.server_ip.c_str());
    if (address.sin_addr.s_addr == INADDR_NONE || !begin_connect(connection, address)) {
        end_with(HIK_STATE_UNREACHABLE);
        return false;
    }
    return true;
}

// One step of the handshake; false when `timeout_ms` passed first (the
// step is then taken up again from where it stood).
bool Stream::advance_handshake(DWORD timeout_ms)
{
    if (handshake == Handshake::connecting)
        return connect_and_log_in(timeout_ms);
    if (handshake == Handshake::awaiting_reply)
        return take_login_reply(timeout_ms);
    return true;
}

bool Stream::connect_and_log_in(DWORD timeout_ms)
{
    const Io_Result connected = finish_connect(connection, timeout_ms);
    if (connected == Io_Result::timed_out)
        return false;
    handshake = Handshake::over;
    if (connected != Io_Result::done) {
        end_with(HIK_STATE_UNREACHABLE);
        return true;
    }
    Stream_Login login = {};
    memcpy(login.magic, "KLGN", 4);
    login.version = STREAM_PROTOCOL_VERSION;
    login.channel = target.channel;
    copy_text(login.user_name, target.user_name);
    copy_text(login.password, target.password);
    // 88 bytes into the empty buffer of a new connection: never waits.
    if (send_all(connection, &login, sizeof login) != Io_Result::done) {
        end_with(HIK_STATE_BROKEN_OFF);
        return true;
    }
    handshake = Handshake::awaiting_reply;
    return true;
}

bool Stream::take_login_reply(DWORD timeout_ms)
{
    Stream_Login_Reply reply = {};
    const Io_Result answered = receive_whole(connection, &reply, sizeof reply, timeout_ms);
    if (answered == Io_Result::timed_out)
        return false;
    handshake = Handshake::over;
    if (answered != Io_Result::done || !has_magic(reply.magic, "KACK"))
        end_with(HIK_STATE_BROKEN_OFF);
    else if (reply.status == STREAM_NO_SIGNAL)
        end_with(HIK_STATE_NO_SIGNAL);
    else if (reply.status != STREAM_ACCEPTED)
        end_with(HIK_STATE_REFUSED);
    else
        login_accepted = true;  // running once the first frame is in
    return true;
}

void Stream::receive_frames()
{
    Stream_Frame_Header header;
    std::vector<uint8_t> payload;
    while (receive_frame(&header, &payload)) {
        if (received.load() == 0)
            end_with(HIK_STATE_RUNNING);
        deliver(header, payload);
    }
    end_with(HIK_STATE_BROKEN_OFF);
}

bool Stream::receive_frame(Stream_Frame_Header* header, std::vector<uint8_t>* payload)
{
    if (receive_all(connection, header, sizeof *header, silence_limit_ms) != Io_Result::done)
        return false;
    // A frame that does not describe itself consistently ends the stream
    // rather than making the library allocate what a broken peer claims.
    if (!has_magic(header->magic, "KFRM") || header->width == 0 || header->height == 0 ||
        header->width > STREAM_MAX_SIDE || header->height > STREAM_MAX_SIDE ||
        header->payload_size != header->width * header->height * 3)
        return false;
    payload->resize(header->payload_size);
    return receive_all(connection, payload->data(), static_cast<int>(payload->size()), silence_limit_ms) ==
           Io_Result::done;
}

void Stream::deliver(const Stream_Frame_Header& header, std::vector<uint8_t>& payload)
{
    received.fetch_add(1);
    library_frames_received.fetch_add(1);
    Picture_Values adjust;
    {
        boost::mutex::scoped_lock guard(lock);
        if (recording)
            record_frame(*recording, header, payload);  // queued; the writer does the I/O
        adjust = values;
    }
    // A stream being stopped may belong to a pane that is closing.  A frame
    // with a whole newer one already waiting is late: painting it would only
    // put the picture further behind on a machine that cannot keep up.
    if (stopping.load() || newer_frame_waiting(header))
        return;
    adjust_pixels(payload, adjust);
    if (paint_frame(target.window, payload, static_cast<int>(header.width), static_cast<int>(header.height))) {
        painted.fetch_add(1);
        library_frames_painted.fetch_add(1);
    }
    // A stop that came during the paint did not wait for it: the window's
    // owner paints over the frame that landed after it.
    if (stopping.load())
        (void)InvalidateRect(target.window, nullptr, TRUE);  // a window gone needs no repaint
}

bool Stream::newer_frame_waiting(const Stream_Frame_Header& header)
{
    u_long waiting = 0;
    return ioctlsocket(connection.socket, FIONREAD, &waiting) == 0 &&
           waiting >= sizeof header + header.payload_size;
}

File_Writer* Stream::start_capture(File_Writer* new_recording)
{
    boost::mutex::scoped_lock guard(lock);
    File_Writer* replaced = recording;
    recording = new_recording;
    return replaced;
}

File_Writer* Stream::take_capture()
{
    return start_capture(nullptr);
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
