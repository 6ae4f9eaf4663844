// Blocking socket work in short slices, so a stream being stopped never
// waits on the network for longer than one slice.
#pragma once

#include <winsock2.h>

#include <atomic>

enum class Io_Result { done, stopped, closed, failed };

// Connects to address:port.  `done` when connected, `failed` when nothing
// listens there, `stopped` when `stop` was set first.
Io_Result connect_within(SOCKET socket, const sockaddr_in& address, const std::atomic<bool>& stop);

// Sends or receives exactly `size` bytes.  `closed` when the peer closed the
// connection first.
Io_Result send_all(SOCKET socket, const void* data, int size, const std::atomic<bool>& stop);
Io_Result receive_all(SOCKET socket, void* data, int size, const std::atomic<bool>& stop);
