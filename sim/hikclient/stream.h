// Stream: one live stream of one server channel.  A thread of its own
// connects, logs in, receives frames, paints them into the display window
// and hands them to the recording, whose own writer takes them to disk.
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

    bool start();
    // A new handle of the event that is set once the connection attempt has
    // settled (the login answered, refused, or nothing to connect to); the
    // caller closes it.  Null when it cannot be duplicated.
    HANDLE settled_event() const;
    // Asks the thread to end without waiting; it paints no frame after this.
    void request_stop() { stopping.store(true); }
    // Ends the thread, closes the connection and the recording.  False when
    // the thread did not end in time (see thread_ended) or the recording's
    // file is left for its writer to close once the disk lets it.
    bool stop();
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
    bool connect_to_server();
    bool log_in();
    void receive_frames();
    bool receive_frame(Stream_Frame_Header* header, std::vector<uint8_t>* payload);
    void deliver(const Stream_Frame_Header& header, std::vector<uint8_t>& payload);
    void end_with(int state);
    void settle(int state);

    const Stream_Target target;
    SOCKET socket = INVALID_SOCKET;
    HANDLE thread = nullptr;
    HANDLE settled = nullptr;  // set once the state leaves "connecting"
    std::atomic<bool> stopping{false};
    std::atomic<int> current_state;
    std::atomic<DWORD> received{0};
    std::atomic<DWORD> painted{0};

    mutable boost::mutex lock;  // guards recording and values; never held for I/O
    File_Writer* recording = nullptr;
    Picture_Values values;
};
