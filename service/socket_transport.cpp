/*
 * socket_transport.cpp: connect, send, receive and close for the service
 * client over Winsock, each bounded by the context's time-outs.
 *
 * The native build of the service code is only the fuzz target, which puts
 * a stand-in transport on the context itself; there the runtime's own
 * transport stays in place.
 */

#include "socket_transport.h"

#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>

namespace {

enum class Wait { readable, writable, connected };

bool winsock_started()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

/* Waits until the socket is ready (1), the time-out has passed (0) or the
   socket failed (-1).  A time-out in the runtime's terms: positive seconds,
   negative microseconds, 0 for none.  A failed connection shows in the
   error set only, so a refused one ends the wait at once. */
int wait_for(SOCKET connection, Wait what, int timeout)
{
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_SET(connection, &ready);
    FD_ZERO(&failed);
    FD_SET(connection, &failed);
    timeval limit = {timeout > 0 ? timeout : 0, timeout < 0 ? -timeout : 0};
    const int n = select(0, what == Wait::readable ? &ready : nullptr, what == Wait::readable ? nullptr : &ready,
                         what == Wait::connected ? &failed : nullptr, timeout ? &limit : nullptr);
    if (n <= 0)
        return n < 0 ? -1 : 0;
    return what == Wait::connected && FD_ISSET(connection, &failed) ? -1 : 1;
}

/* The IPv4 address of host: a dotted address as it is, a name through the
   resolver. */
bool resolve(const char *host, in_addr &address)
{
    if (inet_pton(AF_INET, host, &address) == 1)
        return true;
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return false;
    address = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

/* Connects the non-blocking socket within the connect time-out. */
bool connect_within(struct soap *soap, SOCKET connection, const sockaddr_in &where)
{
    if (connect(connection, reinterpret_cast<const sockaddr *>(&where), sizeof where) == 0)
        return true;
    return WSAGetLastError() == WSAEWOULDBLOCK && wait_for(connection, Wait::connected, soap->connect_timeout) > 0;
}

SOAP_SOCKET open_connection(struct soap *soap, const char *endpoint, const char *host, int port)
{
    (void)endpoint; /* the runtime has taken host and port from it */
    soap->errnum = 0;
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<u_short>(port));
    if (!winsock_started() || port < 1 || port > 65535 || !resolve(host, where.sin_addr)) {
        soap->errnum = WSAGetLastError();
        return SOAP_INVALID_SOCKET;
    }
    const SOCKET connection = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long non_blocking = 1;
    if (connection == INVALID_SOCKET || ioctlsocket(connection, FIONBIO, &non_blocking) != 0
        || !connect_within(soap, connection, where)) {
        soap->errnum = WSAGetLastError();
        if (connection != INVALID_SOCKET)
            (void)closesocket(connection); /* a socket that never connected; nothing to report */
        return SOAP_INVALID_SOCKET;
    }
    return connection;
}

int send_bytes(struct soap *soap, const char *bytes, size_t size)
{
    while (size > 0) {
        const int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        const int sent = send(soap->socket, bytes, chunk, 0);
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<size_t>(sent);
            continue;
        }
        if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK
            && wait_for(soap->socket, Wait::writable, soap->send_timeout) > 0)
            continue;
        soap->errnum = WSAGetLastError();
        return SOAP_EOF;
    }
    return SOAP_OK;
}

/* Reads first and waits only when nothing is there: under Wine a wait that
   finds the bytes already there costs as much as the read that follows it. */
size_t receive_bytes(struct soap *soap, char *buffer, size_t size)
{
    const int most = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    for (;;) {
        const int received = recv(soap->socket, buffer, most, 0);
        if (received >= 0)
            return static_cast<size_t>(received);
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            soap->errnum = WSAGetLastError();
            return 0;
        }
        if (wait_for(soap->socket, Wait::readable, soap->recv_timeout) <= 0)
            return 0;
    }
}

int close_connection(struct soap *soap, SOAP_SOCKET connection)
{
    (void)soap;
    return closesocket(connection);
}

/* Closing alone ends the connection; a separate shutdown first only costs
   another round trip. */
int skip_shutdown(struct soap *soap, SOAP_SOCKET connection, int how)
{
    (void)soap;
    (void)connection;
    (void)how;
    return SOAP_OK;
}

} // namespace

void use_socket_transport(struct soap *soap)
{
    use_transport(soap, Transport_Functions{open_connection, send_bytes, receive_bytes, close_connection, skip_shutdown});
}

#else

void use_socket_transport(struct soap *soap)
{
    (void)soap;
}

#endif

void use_transport(struct soap *soap, const Transport_Functions &functions)
{
    soap->fopen = functions.open;
    soap->fsend = functions.send;
    soap->frecv = functions.receive;
    soap->fclosesocket = functions.close;
    soap->fshutdownsocket = functions.shutdown;
}
