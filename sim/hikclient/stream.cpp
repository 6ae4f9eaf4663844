#include "stream.h"

#include <cstring>

#include "hikclient.h"
#include "library_thread.h"
#include "recorder.h"

namespace {

const DWORD stop_wait_ms = 5000;

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
    : target(target), settled(CreateEventW(nullptr, TRUE, FALSE, nullptr)), current_state(HIK_STATE_CONNECTING)
{
}

Stream::~Stream()
{
    if (settled)
        (void)CloseHandle(settled);
}

bool Stream::start()
{
    if (!settled)
        return false;
    thread = start_library_thread(&Stream::thread_main, this);
    return thread != nullptr;
}

HANDLE Stream::settled_event() const
{
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), settled, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
        return nullptr;
    return copy;
}

bool Stream::stop()
{
    request_stop();
    if (thread) {
        if (WaitForSingleObject(thread, stop_wait_ms) != WAIT_OBJECT_0)
            return false;
        (void)CloseHandle(thread);  // the thread has ended
        thread = nullptr;
    }
    if (socket != INVALID_SOCKET) {
        (void)closesocket(socket);  // nothing is left to send on it
        socket = INVALID_SOCKET;
    }
    return File_Writer::close(take_capture());
}

DWORD WINAPI Stream::thread_main(void* stream)
{
    static_cast<Stream*>(stream)->run();
    return 0;
}

void Stream::run()
{
    if (!connect_to_server() || !log_in())
        return;
    settle(HIK_STATE_RUNNING);
    receive_frames();
}

// A stop request keeps the state the stream had; a failure sets its own.
void Stream::end_with(int state)
{
    if (!stopping.load())
        settle(state);
}

void Stream::settle(int state)
{
    current_state.store(state);
    (void)SetEvent(settled);
}

bool Stream::connect_to_server()
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(target.port);
    address.sin_addr.s_addr = inet_addr(target.server_ip.c_str());
    if (address.sin_addr.s_addr == INADDR_NONE) {
        end_with(HIK_STATE_UNREACHABLE);
        return false;
    }
    socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) {
        end_with(HIK_STATE_UNREACHABLE);
        return false;
    }
    const Io_Result result = connect_within(socket, address, stopping);
    if (result != Io_Result::done) {
        end_with(HIK_STATE_UNREACHABLE);
        return false;
    }
    return true;
}

bool Stream::log_in()
{
    Stream_Login login = {};
    memcpy(login.magic, "KLGN", 4);
    login.version = STREAM_PROTOCOL_VERSION;
    login.channel = target.channel;
    copy_text(login.user_name, target.user_name);
    copy_text(login.password, target.password);
    Stream_Login_Reply reply = {};
    if (send_all(socket, &login, sizeof login, stopping) != Io_Result::done ||
        receive_all(socket, &reply, sizeof reply, stopping) != Io_Result::done ||
        !has_magic(reply.magic, "KACK")) {
        end_with(HIK_STATE_BROKEN_OFF);
        return false;
    }
    if (reply.status == STREAM_NO_SIGNAL) {
        end_with(HIK_STATE_NO_SIGNAL);
        return false;
    }
    if (reply.status != STREAM_ACCEPTED) {
        end_with(HIK_STATE_REFUSED);
        return false;
    }
    return true;
}

void Stream::receive_frames()
{
    Stream_Frame_Header header;
    std::vector<uint8_t> payload;
    while (receive_frame(&header, &payload))
        deliver(header, payload);
    end_with(HIK_STATE_BROKEN_OFF);
}

bool Stream::receive_frame(Stream_Frame_Header* header, std::vector<uint8_t>* payload)
{
    if (receive_all(socket, header, sizeof *header, stopping) != Io_Result::done)
        return false;
    // A frame that does not describe itself consistently ends the stream
    // rather than making the library allocate what a broken peer claims.
    if (!has_magic(header->magic, "KFRM") || header->width == 0 || header->height == 0 ||
        header->width > STREAM_MAX_SIDE || header->height > STREAM_MAX_SIDE ||
        header->payload_size != header->width * header->height * 3)
        return false;
    payload->resize(header->payload_size);
    return receive_all(socket, payload->data(), static_cast<int>(payload->size()), stopping) ==
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
    // A stream being stopped may belong to a pane that is closing.
    if (stopping.load())
        return;
    adjust_pixels(payload, adjust);
    if (paint_frame(target.window, payload, static_cast<int>(header.width), static_cast<int>(header.height))) {
        painted.fetch_add(1);
        library_frames_painted.fetch_add(1);
    }
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
