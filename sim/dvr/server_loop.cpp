/*
 * server_loop.cpp: listening sockets, a poll loop, one thread per connection.
 */

#include "server_loop.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

Server_Loop::Server_Loop(int lifetime_seconds, int idle_seconds) : lifetime(lifetime_seconds), idle(idle_seconds) {}

Server_Loop::~Server_Loop()
{
    for (const Listener &listener : listeners)
        (void)::close(listener.fd);
}

bool Server_Loop::listen(const std::string &address, int port, Handler handler)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
        std::fprintf(stderr, "dvr-sim: bad address %s\n", address.c_str());
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0
        || ::bind(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 || ::listen(fd, 64) != 0) {
        std::fprintf(stderr, "dvr-sim: cannot listen on %s:%d: %s\n", address.c_str(), port, std::strerror(errno));
        if (fd >= 0)
            (void)::close(fd);
        return false;
    }
    listeners.push_back(Listener{fd, std::move(handler)});
    return true;
}

void Server_Loop::accept_on(const Listener &listener)
{
    const int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return; /* the client gave up between poll and accept */
    ++open_connections;
    Handler handler = listener.handler;
    std::thread([this, handler, fd] {
        handler(fd);
        --open_connections;
    }).detach();
}

const char *Server_Loop::run(const std::atomic<bool> &quit)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point last_activity = start;
    std::vector<pollfd> watched;
    for (const Listener &listener : listeners)
        watched.push_back(pollfd{listener.fd, POLLIN, 0});
    while (!quit) {
        const Clock::time_point now = Clock::now();
        if (now - start > std::chrono::seconds(lifetime))
            return "lifetime over";
        if (open_connections > 0 || (elsewhere && *elsewhere > 0))
            last_activity = now;
        else if (now - last_activity > std::chrono::seconds(idle))
            return "idle";
        if (::poll(watched.data(), watched.size(), 200) <= 0)
            continue;
        for (size_t i = 0; i < watched.size(); ++i)
            if (watched[i].revents & POLLIN) {
                accept_on(listeners[i]);
                last_activity = Clock::now();
            }
    }
    return "told to quit";
}
