/*
 * server_loop.h: the listeners of dvr-sim.  Each listener hands every
 * accepted connection to its handler on a thread of its own, so that a
 * connection told to hang never holds up another.  The loop ends when told
 * to quit, when its lifetime is over, or when it has been idle too long (no
 * connection accepted and none open), so a test that crashed leaves no
 * simulator behind for long.
 */
#ifndef KELM_SIM_SERVER_LOOP_H
#define KELM_SIM_SERVER_LOOP_H

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class Server_Loop
{
public:
    using Handler = std::function<void(int fd)>;

    Server_Loop(int lifetime_seconds, int idle_seconds);
    ~Server_Loop();
    Server_Loop(const Server_Loop &) = delete;
    Server_Loop &operator=(const Server_Loop &) = delete;

    /* Binds address:port; false (with a message on stderr) when it cannot. */
    bool listen(const std::string &address, int port, Handler handler);

    /* Connections served elsewhere (the RTSP server's), which keep the loop
       from being idle as its own do. */
    void also_count(const std::atomic<int> &connections) { elsewhere = &connections; }

    /* Accepts until quit is set or a bound is reached; returns why it ended. */
    const char *run(const std::atomic<bool> &quit);

private:
    struct Listener
    {
        int fd;
        Handler handler;
    };

    void accept_on(const Listener &listener);

    std::vector<Listener> listeners;
    int lifetime;
    int idle;
    std::atomic<int> open_connections{0};
    const std::atomic<int> *elsewhere = nullptr;
};

#endif
