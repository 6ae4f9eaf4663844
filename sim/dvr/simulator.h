/*
 * simulator.h: the one Simulator of a dvr-sim process, shared by the threads
 * that serve its connections, and the handlers its listeners hand accepted
 * connections to.
 */
#ifndef KELM_SIM_SIMULATOR_H
#define KELM_SIM_SIMULATOR_H

#include "behaviour.h"
#include "dvr_state.h"
#include "stream_behaviour.h"

#include <atomic>
#include <string>

struct Simulator
{
    std::string name;          /* answered to "ping", so a test knows it reached its own */
    Dvr_State state;
    Behaviours behaviours;
    Request_Log log;
    Stream_Behaviour stream;
    std::atomic<int> stream_clients{0}; /* open RTSP connections: the simulator is not idle while any is */
    std::atomic<bool> quitting{false};
};

/* Serves one rqweb request on an accepted connection, then closes it. */
void serve_rqweb(Simulator &sim, int fd);

/* Reads a bare request of the announced size and answers the asked number
   of bytes (bare_exchange.cpp), then closes the connection. */
void serve_bare(Simulator &sim, int fd);

/* Runs one control command from an accepted connection, then closes it. */
void serve_control(Simulator &sim, int fd);

#endif
