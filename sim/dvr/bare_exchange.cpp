/*
 * bare_exchange.cpp: a plain TCP request and reply of chosen sizes, the
 * yardstick the rqweb benchmark compares a service call with.  The client
 * sends two 32-bit big-endian numbers, the length N of what follows and the
 * length M of the reply it wants, then N bytes; the simulator reads them,
 * sends M bytes and closes the connection.
 */

#include "raw_answers.h"
#include "simulator.h"

#include <string>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

bool read_exactly(int fd, unsigned char *buffer, size_t size)
{
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::recv(fd, buffer + got, size - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

unsigned long number_at(const unsigned char *p)
{
    return (static_cast<unsigned long>(p[0]) << 24) | (static_cast<unsigned long>(p[1]) << 16)
           | (static_cast<unsigned long>(p[2]) << 8) | p[3];
}

} // namespace

void serve_bare(Simulator &sim, int fd)
{
    (void)sim;
    timeval limit{10, 0};
    (void)::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit); /* best effort */
    unsigned char sizes[8];
    const unsigned long most = 64UL * 1024 * 1024;
    if (read_exactly(fd, sizes, sizeof sizes) && number_at(sizes) <= most && number_at(sizes + 4) <= most) {
        std::string request(number_at(sizes), '\0');
        if (request.empty() || read_exactly(fd, reinterpret_cast<unsigned char *>(&request[0]), request.size()))
            (void)send_all(fd, std::string(number_at(sizes + 4), 'x')); /* the client measures; nothing to do */
    }
    (void)::close(fd);
}
