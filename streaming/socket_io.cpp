#include "socket_io.h"

namespace {

const long network_events = FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE;
const int receive_buffer_bytes = 4 * 1024 * 1024;

// Milliseconds left of `timeout_ms` counted from `started`.
DWORD left_of(DWORD timeout_ms, DWORD started)
{
    if (timeout_ms == INFINITE)
        return INFINITE;
    const DWORD spent = GetTickCount() - started;
    return spent < timeout_ms ? timeout_ms - spent : 0;
}

// Waits for the next network events of the socket, or the stop.
Io_Result wait_for_network(Stream_Socket& connection, WSANETWORKEVENTS* events, DWORD timeout_ms)
{
    HANDLE waits[] = {connection.stop, connection.network};
    const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, timeout_ms);
    if (woken == WAIT_OBJECT_0)
        return Io_Result::stopped;
    if (woken == WAIT_TIMEOUT)
        return Io_Result::timed_out;
    if (woken != WAIT_OBJECT_0 + 1)
        return Io_Result::failed;
    // Also resets the event, so the next wait sleeps until something new.
    return WSAEnumNetworkEvents(connection.socket, connection.network, events) == 0 ? Io_Result::done
                                                                                   : Io_Result::failed;
}

// After an operation would block: waits until it may be tried again.
Io_Result wait_to_retry(Stream_Socket& connection, DWORD timeout_ms = INFINITE)
{
    WSANETWORKEVENTS events;
    return wait_for_network(connection, &events, timeout_ms);
}

// After a send or receive that failed: `closed`, unless it only would have
// blocked; then waits until it may be tried again.
Io_Result wait_after_failure(Stream_Socket& connection, DWORD timeout_ms = INFINITE)
{
    if (WSAGetLastError() != WSAEWOULDBLOCK)
        return Io_Result::closed;
    return wait_to_retry(connection, timeout_ms);
}

} // namespace

bool begin_connect(Stream_Socket& connection, const sockaddr_in& address)
{
    connection.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    connection.network = WSACreateEvent();
    // Under Wine every receive is a round trip to the wine server: a buffer
    // that holds a whole large frame lets one receive take it at once.
    const int buffer_bytes = receive_buffer_bytes;
    if (connection.socket != INVALID_SOCKET)
        (void)setsockopt(connection.socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer_bytes),
                         sizeof buffer_bytes);  // the system's own size also works, with more receives
    if (connection.socket == INVALID_SOCKET || connection.network == WSA_INVALID_EVENT ||
        WSAEventSelect(connection.socket, connection.network, network_events) == SOCKET_ERROR)
        return false;
    if (connect(connection.socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        connection.connected = true;
        return true;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

Io_Result finish_connect(Stream_Socket& connection, DWORD timeout_ms)
{
    const DWORD started = GetTickCount();
    while (!connection.connected) {
        WSANETWORKEVENTS events;
        const Io_Result woken = wait_for_network(connection, &events, left_of(timeout_ms, started));
        if (woken != Io_Result::done)
            return woken;
        if (events.lNetworkEvents & FD_CONNECT) {
            if (events.iErrorCode[FD_CONNECT_BIT] != 0)
                return Io_Result::failed;
            connection.connected = true;
        }
    }
    return Io_Result::done;
}

Io_Result send_all(Stream_Socket& connection, const void* data, int size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const int sent = send(connection.socket, bytes, size, 0);
        if (sent == SOCKET_ERROR) {
            const Io_Result woken = wait_after_failure(connection);
            if (woken != Io_Result::done)
                return woken;
            continue;
        }
        bytes += sent;
        size -= sent;
    }
    return Io_Result::done;
}

Io_Result receive_all(Stream_Socket& connection, void* data, int size, DWORD idle_ms)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        if (connection.stopping && connection.stopping->load())
            return Io_Result::stopped;
        const int got = recv(connection.socket, bytes, size, 0);
        if (got == 0)
            return Io_Result::closed;
        if (got == SOCKET_ERROR) {
            const Io_Result woken = wait_after_failure(connection, idle_ms);
            if (woken != Io_Result::done)
                return woken;
            continue;
        }
        bytes += got;
        size -= got;
    }
    return Io_Result::done;
}

Io_Result receive_whole(Stream_Socket& connection, void* data, int size, DWORD timeout_ms)
{
    const DWORD started = GetTickCount();
    for (;;) {
        // Looked at, not taken: a part of it stays for receive_all.  (A part
        // keeps the read event set; the rest follows within moments.)
        const int waiting = recv(connection.socket, static_cast<char*>(data), size, MSG_PEEK);
        if (waiting >= size)
            return recv(connection.socket, static_cast<char*>(data), size, 0) == size ? Io_Result::done
                                                                                      : Io_Result::closed;
        if (waiting == 0)
            return Io_Result::closed;
        const Io_Result woken = waiting == SOCKET_ERROR
                                    ? wait_after_failure(connection, left_of(timeout_ms, started))
                                    : wait_to_retry(connection, left_of(timeout_ms, started));
        if (woken != Io_Result::done)
            return woken;
    }
}

void close_connection(Stream_Socket& connection)
{
    if (connection.socket != INVALID_SOCKET)
        (void)closesocket(connection.socket);  // nothing is left to send on it
    if (connection.network != WSA_INVALID_EVENT)
        (void)WSACloseEvent(connection.network);  // nothing waits on it any more
    connection.socket = INVALID_SOCKET;
    connection.network = WSA_INVALID_EVENT;
    connection.connected = false;
}
