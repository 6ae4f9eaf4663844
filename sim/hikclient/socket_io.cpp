#include "socket_io.h"

namespace {

const long slice_microseconds = 100 * 1000;

// Waits for the socket to become readable or writable (or to fail), one
// slice at a time; false when stopped.
bool wait_ready(SOCKET socket, bool for_write, const std::atomic<bool>& stop, bool* failed)
{
    while (!stop.load()) {
        fd_set ready, errors;
        FD_ZERO(&ready);
        FD_ZERO(&errors);
        FD_SET(socket, &ready);
        FD_SET(socket, &errors);
        timeval slice = {0, slice_microseconds};
        const int count = select(0, for_write ? nullptr : &ready, for_write ? &ready : nullptr,
                                 &errors, &slice);
        if (count == SOCKET_ERROR) {
            *failed = true;
            return true;
        }
        if (count > 0) {
            *failed = FD_ISSET(socket, &errors) != 0;
            return true;
        }
    }
    return false;
}

} // namespace

Io_Result connect_within(SOCKET socket, const sockaddr_in& address, const std::atomic<bool>& stop)
{
    u_long non_blocking = 1;
    if (ioctlsocket(socket, FIONBIO, &non_blocking) == SOCKET_ERROR)
        return Io_Result::failed;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return Io_Result::done;
    if (WSAGetLastError() != WSAEWOULDBLOCK)
        return Io_Result::failed;
    bool failed = false;
    if (!wait_ready(socket, true, stop, &failed))
        return Io_Result::stopped;
    int error = 0;
    int length = sizeof error;
    if (failed || getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
        error != 0)
        return Io_Result::failed;
    return Io_Result::done;
}

Io_Result send_all(SOCKET socket, const void* data, int size, const std::atomic<bool>& stop)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        bool failed = false;
        if (!wait_ready(socket, true, stop, &failed))
            return Io_Result::stopped;
        const int sent = failed ? SOCKET_ERROR : send(socket, bytes, size, 0);
        if (sent == SOCKET_ERROR) {
            if (!failed && WSAGetLastError() == WSAEWOULDBLOCK)
                continue;
            return Io_Result::closed;
        }
        bytes += sent;
        size -= sent;
    }
    return Io_Result::done;
}

Io_Result receive_all(SOCKET socket, void* data, int size, const std::atomic<bool>& stop)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        bool failed = false;
        if (!wait_ready(socket, false, stop, &failed))
            return Io_Result::stopped;
        const int got = failed ? SOCKET_ERROR : recv(socket, bytes, size, 0);
        if (got == 0)
            return Io_Result::closed;
        if (got == SOCKET_ERROR) {
            if (!failed && WSAGetLastError() == WSAEWOULDBLOCK)
                continue;
            return Io_Result::closed;
        }
        bytes += got;
        size -= got;
    }
    return Io_Result::done;
}
