/*
 * raw_listener.cpp: one request received over a bare Winsock socket.
 */

#include "raw_listener.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdlib>

namespace {

struct Winsock
{
    Winsock()
    {
        WSADATA data;
        (void)WSAStartup(MAKEWORD(2, 2), &data); /* a failure shows as a socket that does not open */
    }
    ~Winsock() { WSACleanup(); }
};

/* Length of the body announced by a complete header, or -1. */
long content_length(const std::string &bytes, size_t header_end)
{
    const std::string key = "Content-Length: ";
    const size_t at = bytes.find(key);
    if (at == std::string::npos || at > header_end)
        return -1;
    return std::strtol(bytes.c_str() + at + key.size(), nullptr, 10);
}

bool complete(const std::string &bytes)
{
    const size_t end = bytes.find("\r\n\r\n");
    if (end == std::string::npos)
        return false;
    const long length = content_length(bytes, end);
    return length >= 0 && bytes.size() >= end + 4 + static_cast<size_t>(length);
}

} // namespace

Raw_Listener::Raw_Listener(const std::string &address, const std::string &reply_)
    : reply(reply_), listener(INVALID_SOCKET), thread(nullptr)
{
    static Winsock winsock;
    SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(8000);
    if (fd == INVALID_SOCKET || inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1
        || bind(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 || listen(fd, 1) != 0) {
        if (fd != INVALID_SOCKET)
            closesocket(fd);
        return;
    }
    listener = fd;
    thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
}

Raw_Listener::~Raw_Listener()
{
    if (listener != INVALID_SOCKET)
        closesocket(static_cast<SOCKET>(listener)); /* ends a thread still waiting in accept */
    if (thread) {
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
    }
}

bool Raw_Listener::listening() const
{
    return thread != nullptr;
}

std::string Raw_Listener::request()
{
    if (thread && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0)
        return received;
    return std::string();
}

unsigned long __stdcall Raw_Listener::run(void *self)
{
    static_cast<Raw_Listener *>(self)->serve();
    return 0;
}

void Raw_Listener::serve()
{
    SOCKET client = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    if (client == INVALID_SOCKET)
        return;
    char buffer[4096];
    int n;
    while (!complete(received) && (n = recv(client, buffer, sizeof buffer, 0)) > 0)
        received.append(buffer, static_cast<size_t>(n));
    if (!reply.empty())
        (void)send(client, reply.data(), static_cast<int>(reply.size()), 0); /* the test checks the call's result */
    closesocket(client);
}
