// Blocking socket work that a stop ends at once: every wait is for the
// socket's network events or the stream's stop event, whichever comes
// first.
#pragma once

#include <winsock2.h>

#include <atomic>

enum class Io_Result { done, stopped, closed, failed, timed_out };

// A non-blocking socket, the event its network events set, and the
// stream's stop event (not owned) that ends every wait.
struct Stream_Socket {
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT network = WSA_INVALID_EVENT;
    HANDLE stop = nullptr;
    // Set with the stop event; looked at between receives, so a receive of
    // a large frame whose bytes keep coming ends at the stop too.
    const std::atomic<bool>* stopping = nullptr;
    bool connected = false;  // the connect completed when it was made
};

// Makes the socket and begins connecting to `address` without waiting;
// false when that fails at once.
bool begin_connect(Stream_Socket& connection, const sockaddr_in& address);
// Waits for the connect begun: `done` when connected, `failed` when nothing
// listens there, `stopped` when the stop came first, `timed_out` after
// `timeout_ms`.
Io_Result finish_connect(Stream_Socket& connection, DWORD timeout_ms);

// Sends or receives exactly `size` bytes.  `closed` when the peer closed the
// connection first; `timed_out` when nothing more arrived for `idle_ms`.
Io_Result send_all(Stream_Socket& connection, const void* data, int size);
Io_Result receive_all(Stream_Socket& connection, void* data, int size, DWORD idle_ms = INFINITE);
// Receives `size` bytes once they can be taken at once; `timed_out` after
// `timeout_ms` with nothing taken, so that receive_all can go on from there.
Io_Result receive_whole(Stream_Socket& connection, void* data, int size, DWORD timeout_ms);

// Closes the socket and its event; the stop event stays.
void close_connection(Stream_Socket& connection);
