// Stream: one live stream of one server channel.  The caller's thread
// begins the connection and leads the login for as long as it waits; a
// thread of the stream's own finishes what is left, receives frames, paints
// them into the display window and hands them to the recording, whose own
// writer takes them to disk.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <boost/thread/mutex.hpp>

#include "picture.h"
#include "file_writer.h"
#include "socket_io.h"
#include "stream_protocol.h"

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

    // Begins connecting and starts the thread, which waits for hand_over.
    bool start();
    // Runs the connection and the login on the caller's thread for up to
    // `wait_ms`, then hands what is left to the stream's thread.  A server
    // nearby has answered by then, so the state tells the truth at once.
    void lead_handshake(DWORD wait_ms);
    // Asks the thread to end without waiting; it paints no frame after this.
    void request_stop();
    // Ends the thread, closes the connection and the recording.  False when
    // the thread did not end in time (see thread_ended) or the recording's
    // file is left for its writer to close once the disk lets it.
    bool stop();
    // True, with the connection closed, once the thread has ended.
    bool finish_stop(DWORD wait_ms);
    // False while the thread may still run: the stream must then be left
    // alone, never deleted.
    bool thread_ended() const { return thread == nullptr; }

    int state() const { return current_state.load(); }
    uint16_t channel() const { return target.channel; }
    // Makes `recording` the stream's recording; returns the one it replaces
    // (null when none), for the caller to close outside every lock.
    File_Writer* start_capture(File_Writer* recording);
    // The running recording, taken from the stream; null when none.
    File_Writer* take_capture();
    void set_picture(const Picture_Values& values);
    Picture_Values picture() const;
    DWORD frames_received() const { return received.load(); }
    DWORD frames_painted() const { return painted.load(); }

private:
    static DWORD WINAPI thread_main(void* stream);
    void run();
    bool begin_connection();
    bool finish_handshake(DWORD limit_ms);
    bool advance_handshake(DWORD timeout_ms);
    bool connect_and_log_in(DWORD timeout_ms);
    bool take_login_reply(DWORD timeout_ms);
    void receive_frames();
    bool receive_frame(Stream_Frame_Header* header, std::vector<uint8_t>* payload);
    void deliver(const Stream_Frame_Header& header, std::vector<uint8_t>& payload);
    bool newer_frame_waiting(const Stream_Frame_Header& header);
    void end_with(int state);

    // Where the handshake stands.  The caller's thread moves it on until it
    // sets `handed_over`; the stream's thread from then on.
    enum class Handshake { connecting, awaiting_reply, over };

    const Stream_Target target;
    Stream_Socket connection;
    Handshake handshake = Handshake::connecting;
    bool login_accepted = false;  // moved on, like `handshake`, by one thread at a time
    HANDLE thread = nullptr;  // set once the thread has finished with the stream
    HANDLE handed_over = nullptr;  // the caller's part of the handshake is over
    HANDLE stop_event = nullptr;   // ends the thread's every wait
    HANDLE settled = nullptr;      // the state left "connecting": first picture, or the end
    std::atomic<bool> stopping{false};
    std::atomic<int> current_state;
    std::atomic<DWORD> received{0};
    std::atomic<DWORD> painted{0};

    mutable boost::mutex lock;  // guards recording and values; never held for I/O
    File_Writer* recording = nullptr;
    Picture_Values values;
};
