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
#include <mswsock.h>
#include <ws2tcpip.h>

#include <climits>
#include <cstdint>
#include <new>

#include "name_resolver.h"
#include "time_left.h"

namespace {

bool winsock_started()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

/* A time-out in the runtime's terms (positive seconds, negative
   microseconds, 0 for none) in milliseconds for Winsock and the waits. */
DWORD milliseconds(int timeout)
{
    if (timeout > 0)
        return static_cast<DWORD>(timeout) * 1000;
    if (timeout < 0)
        return static_cast<DWORD>((-static_cast<long long>(timeout) + 999) / 1000);
    return INFINITE;
}

/* The system's ConnectEx, looked up once. */
LPFN_CONNECTEX connect_function(SOCKET any_socket)
{
    static LPFN_CONNECTEX found = [any_socket] {
        GUID id = WSAID_CONNECTEX;
        LPFN_CONNECTEX function = nullptr;
        DWORD size = 0;
        if (WSAIoctl(any_socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function, &size,
                     nullptr, nullptr) != 0)
            return static_cast<LPFN_CONNECTEX>(nullptr);
        return function;
    }();
    return found;
}

/* What a context keeps for its connections: the event its connects wait
   on, the bytes sent on the current connection (which tell whether its
   send bound is set yet) and the receive bound set on it (in the runtime's
   terms).  Made at the first connect and freed with the context (a runtime
   plug-in holds it). */
struct Connection_State {
    HANDLE connect_event;
    size_t sent;
    int receive_bound;
};

const char connection_state_id[] = "kelm-connection-state";

void free_connection_state(struct soap *soap, struct soap_plugin *plugin)
{
    (void)soap;
    Connection_State *state = static_cast<Connection_State *>(plugin->data);
    if (state && state->connect_event)
        (void)CloseHandle(state->connect_event); /* nothing waits on it any more */
    delete state;
}

int make_connection_state(struct soap *soap, struct soap_plugin *plugin, void *arg)
{
    (void)soap;
    (void)arg;
    Connection_State *state = new (std::nothrow) Connection_State{CreateEventW(nullptr, TRUE, FALSE, nullptr), 0, 0};
    if (state && !state->connect_event) {
        delete state; /* the runtime frees nothing of a plug-in it refuses */
        state = nullptr;
    }
    plugin->id = connection_state_id;
    plugin->data = state;
    plugin->fcopy = nullptr; /* a copied context makes a state of its own */
    plugin->fdelete = free_connection_state;
    return state ? SOAP_OK : SOAP_EOM;
}

Connection_State *connection_state(struct soap *soap)
{
    void *state = soap_lookup_plugin(soap, connection_state_id);
    if (!state && soap_register_plugin(soap, make_connection_state) == SOAP_OK)
        state = soap_lookup_plugin(soap, connection_state_id);
    return static_cast<Connection_State *>(state);
}

/* Connects within wait_ms through an overlapped ConnectEx: a
   refused connection completes at once, a silent host is given up when the
   wait ends, and the pending connect is cancelled and waited for before its
   OVERLAPPED goes away. */
bool connect_within(HANDLE event, SOCKET connection, const sockaddr_in &where, DWORD wait_ms)
{
    const LPFN_CONNECTEX connect_ex = connect_function(connection);
    sockaddr_in any = {};
    any.sin_family = AF_INET;
    if (!connect_ex
        || bind(connection, reinterpret_cast<const sockaddr *>(&any), sizeof any) != 0)
        return false;
    OVERLAPPED pending = {};
    pending.hEvent = event; /* reset by the system as the connect starts */
    DWORD sent = 0, flags = 0;
    if (!connect_ex(connection, reinterpret_cast<const sockaddr *>(&where), sizeof where, nullptr, 0, &sent, &pending)) {
        if (WSAGetLastError() != ERROR_IO_PENDING)
            return false;
        if (WaitForSingleObject(event, wait_ms) != WAIT_OBJECT_0) {
            (void)CancelIoEx(reinterpret_cast<HANDLE>(connection), &pending); /* it may have just completed */
            (void)WSAGetOverlappedResult(connection, &pending, &sent, TRUE, &flags); /* waits for the end */
            WSASetLastError(WSAETIMEDOUT);
            return false;
        }
        if (!WSAGetOverlappedResult(connection, &pending, &sent, FALSE, &flags))
            return false;
    }
    /* The socket takes on a connected socket's state (and options set on
       it from here on) only when told. */
    return setsockopt(connection, SOL_SOCKET, SO_UPDATE_CONNECT_CONTEXT, nullptr, 0) == 0;
}

/* Sends and receives block, bounded by the context's time-outs: under
   Wine a wait in the socket call itself costs half of a select followed by
   the call.  Each bound is a round trip to set, so the send bound is set
   only once a send could block (see send_bytes). */
bool set_bound(SOCKET connection, int option, int timeout)
{
    const DWORD bound_ms = timeout ? milliseconds(timeout) : 0;
    return setsockopt(connection, SOL_SOCKET, option, reinterpret_cast<const char *>(&bound_ms), sizeof bound_ms) == 0;
}

/* What a new connection takes without blocking whatever the peer does: the
   peer's receive window and the socket's own buffer hold far more. */
const size_t unblocking_send_bytes = 4096;

SOAP_SOCKET open_connection(struct soap *soap, const char *endpoint, const char *host, int port)
{
    (void)endpoint; /* the runtime has taken host and port from it */
    soap->errnum = 0;
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<u_short>(port));
    /* Finding the server's address and connecting share the connect
       time-out. */
    const DWORD bound_ms = milliseconds(soap->connect_timeout);
    const DWORD started = GetTickCount();
    if (!winsock_started() || port < 1 || port > 65535 || !resolve_within(host, where.sin_addr, bound_ms)) {
        soap->errnum = WSAGetLastError();
        return SOAP_INVALID_SOCKET;
    }
    Connection_State *state = connection_state(soap);
    const SOCKET connection = state ? socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
    if (connection == INVALID_SOCKET
        || !connect_within(state->connect_event, connection, where, time_left(bound_ms, started))
        || !set_bound(connection, SO_RCVTIMEO, soap->recv_timeout)) {
        soap->errnum = WSAGetLastError();
        if (connection != INVALID_SOCKET)
            (void)closesocket(connection); /* a socket that never served; nothing to report */
        return SOAP_INVALID_SOCKET;
    }
    state->sent = 0;
    state->receive_bound = soap->recv_timeout;
    return connection;
}

/* Sets the send bound before the send that takes the connection past what
   it takes without blocking. */
bool bound_send(struct soap *soap, size_t size)
{
    Connection_State *state = connection_state(soap);
    if (!state)
        return false;
    const size_t before = state->sent;
    state->sent = size > SIZE_MAX - before ? SIZE_MAX : before + size;
    if (before > unblocking_send_bytes || state->sent <= unblocking_send_bytes)
        return true; /* bounded already, or still within what never blocks */
    return set_bound(soap->socket, SO_SNDTIMEO, soap->send_timeout);
}

int send_bytes(struct soap *soap, const char *bytes, size_t size)
{
    if (!bound_send(soap, size)) {
        soap->errnum = WSAGetLastError();
        return SOAP_EOF;
    }
    while (size > 0) {
        const int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        const int sent = send(soap->socket, bytes, chunk, 0);
        if (sent <= 0) {
            soap->errnum = WSAGetLastError();
            return SOAP_EOF;
        }
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return SOAP_OK;
}

/* Bytes received, or 0 at the end of the answer, a failure or a time-out
   (the runtime reads a time-out as errnum 0). */
size_t receive_bytes(struct soap *soap, char *buffer, size_t size)
{
    /* The caller may shorten the wait as its call runs out of time. */
    Connection_State *state = connection_state(soap);
    if (state && state->receive_bound != soap->recv_timeout) {
        if (!set_bound(soap->socket, SO_RCVTIMEO, soap->recv_timeout)) {
            soap->errnum = WSAGetLastError();
            return 0;
        }
        state->receive_bound = soap->recv_timeout;
    }
    const int most = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    const int received = recv(soap->socket, buffer, most, 0);
    if (received >= 0)
        return static_cast<size_t>(received);
    const int error = WSAGetLastError();
    soap->errnum = error == WSAETIMEDOUT ? 0 : error;
    return 0;
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
