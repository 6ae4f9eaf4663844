#include <winsock2.h>

#include "port_check.h"

#include "name_resolver.h"
#include "stream_url.h"

namespace {

// How often a wait for the connect looks at the stop flag.
const DWORD stop_check_ms = 50;

// Waits for the connect begun on `socket`: true when it completed.
bool connect_completes(SOCKET socket, DWORD bound_ms, const std::atomic<bool>& stopping)
{
    const DWORD started = GetTickCount();
    while (!stopping.load() && GetTickCount() - started < bound_ms) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket, &writable);
        FD_SET(socket, &failed);
        timeval slice = {0, static_cast<long>(stop_check_ms * 1000)};
        const int ready = select(0, nullptr, &writable, &failed, &slice);
        if (ready < 0 || FD_ISSET(socket, &failed))
            return false;
        if (FD_ISSET(socket, &writable))
            return true;
    }
    return false;
}

} // namespace

bool url_port_answers(const std::string& url, DWORD bound_ms, const std::atomic<bool>& stopping)
{
    const Url_Endpoint endpoint = url_endpoint(url);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(endpoint.port);
    if (!resolve_within(endpoint.host.c_str(), where.sin_addr, bound_ms))
        return false;
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (probe == INVALID_SOCKET)
        return false;
    u_long non_blocking = 1;
    bool answered = false;
    if (ioctlsocket(probe, FIONBIO, &non_blocking) == 0) {
        const int begun = connect(probe, reinterpret_cast<const sockaddr*>(&where), sizeof where);
        answered = begun == 0 ||
                   (WSAGetLastError() == WSAEWOULDBLOCK && connect_completes(probe, bound_ms, stopping));
    }
    (void)closesocket(probe);  // the probe sends nothing
    return answered;
}
