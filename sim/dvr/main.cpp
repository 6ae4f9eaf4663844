/*
 * main.cpp: dvr-sim, a simulated DVR server for tests and demonstrations.
 * It serves the rqweb web service on ADDRESS:8000, the live stream over
 * RTSP on ADDRESS:12000 and a control channel on ADDRESS:8001;
 * sim/dvr/README.md describes them.
 */

#include "server_loop.h"
#include "simulator.h"
#include "stream_server.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

struct Options
{
    std::string address;
    int port = 8000;
    int control_port = 8001;
    int stream_port = 12000;
    int bare_port = 8002;
    int lifetime = 600;
    int idle = 120;
    std::string name = "dvr-sim";
};

const char usage[] =
    "usage: dvr-sim --address A.B.C.D [--port N] [--control-port N] [--stream-port N]\n"
    "               [--bare-port N]\n"
    "               [--lifetime SECONDS] [--idle SECONDS] [--name TEXT]\n"
    "  --address       loopback (or other) address to serve on\n"
    "  --port          rqweb web service port (8000)\n"
    "  --control-port  control channel port (8001)\n"
    "  --stream-port   live stream (RTSP) port (12000)\n"
    "  --bare-port     plain TCP request and reply for benchmarks (8002)\n"
    "  --lifetime      exit after this many seconds (600)\n"
    "  --idle          exit after this many seconds without connections (120)\n"
    "  --name          text answered to the control command \"ping\"\n";

bool number_argument(const char *text, int &value)
{
    char *end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (!*text || *end || number <= 0 || number > 1000000)
        return false;
    value = static_cast<int>(number);
    return true;
}

bool parse(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const char *flag = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value)
            return false;
        ++i;
        if (!std::strcmp(flag, "--address"))
            options.address = value;
        else if (!std::strcmp(flag, "--name"))
            options.name = value;
        else if (!(!std::strcmp(flag, "--port") && number_argument(value, options.port))
                 && !(!std::strcmp(flag, "--control-port") && number_argument(value, options.control_port))
                 && !(!std::strcmp(flag, "--stream-port") && number_argument(value, options.stream_port))
                 && !(!std::strcmp(flag, "--bare-port") && number_argument(value, options.bare_port))
                 && !(!std::strcmp(flag, "--lifetime") && number_argument(value, options.lifetime))
                 && !(!std::strcmp(flag, "--idle") && number_argument(value, options.idle)))
            return false;
    }
    return !options.address.empty();
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(usage, stderr);
        return 2;
    }
    static Simulator sim; /* outlives the connection threads abandoned at exit */
    sim.name = options.name;
    Server_Loop loop(options.lifetime, options.idle);
    /* The service port is bound first: once the control port answers, all listen. */
    if (!loop.listen(options.address, options.port, [](int fd) { serve_rqweb(sim, fd); })
        || !start_stream_server(sim, options.address, options.stream_port)
        || !loop.listen(options.address, options.bare_port, [](int fd) { serve_bare(sim, fd); })
        || !loop.listen(options.address, options.control_port, [](int fd) { serve_control(sim, fd); }))
        return 1;
    loop.also_count(sim.stream_clients);
    std::printf("dvr-sim %s: rqweb on %s:%d, stream on port %d, control on port %d\n", options.name.c_str(),
                options.address.c_str(), options.port, options.stream_port, options.control_port);
    std::fflush(stdout);
    const char *why = loop.run(sim.quitting);
    sim.quitting = true; /* hanging connections notice this and close */
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::printf("dvr-sim %s: %s, exiting\n", options.name.c_str(), why);
    std::fflush(stdout);
    std::_Exit(0); /* connection threads may still run; nothing of theirs needs finishing */
}
