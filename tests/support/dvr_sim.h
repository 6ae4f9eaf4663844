/*
 * dvr_sim.h: starts the simulated DVR server (the native dvr-sim named by the
 * environment variable KELM_DVR_SIM) from a test running under Wine, on a
 * loopback address of the test's own, and talks to its control channel.
 *
 * Wine starts the Linux program but gives no usable process handle, so
 * everything goes through the control port: the start is confirmed by a
 * "ping" that answers with the name given to this instance, and the
 * destructor asks it to quit.  dvr-sim also quits by itself after its
 * lifetime (300 s, or KELM_SIM_LIFETIME seconds) or 60 s without connections.
 */
#ifndef KELM_TESTS_DVR_SIM_H
#define KELM_TESTS_DVR_SIM_H

#include <string>
#include <vector>

struct Sim_Request
{
    std::string operation; /* XML name of the operation, "-" when unknown */
    std::string bytes;     /* HTTP header and body as the simulator received them */

    std::string header() const;
    std::string body() const;
};

class Dvr_Sim
{
public:
    /* Starts dvr-sim on the address 127.x.y.z given by number (1 to 2^24 - 2,
       never 0 or 255 in the last place). */
    explicit Dvr_Sim(unsigned number);
    ~Dvr_Sim();
    Dvr_Sim(const Dvr_Sim &) = delete;
    Dvr_Sim &operator=(const Dvr_Sim &) = delete;

    /* The loopback address number for a name (a test's full name), spread
       over the whole of 127.0.0.0/8 so that parallel tests do not meet. */
    static unsigned number_for(const std::string &name);
    /* The loopback address of that number, for a test's own listener. */
    static std::string address_for(const std::string &name);

    bool running() const { return started; }
    const std::string &address() const { return host; }
    std::string endpoint() const { return "http://" + host + ":8000"; }

    /* One control command (and the bytes that follow it); the reply, or ""
       when the simulator cannot be reached. */
    std::string command(const std::string &line, const std::string &payload = std::string()) const;
    bool ok(const std::string &line) const;

    /* mode OPERATION KIND [ARGUMENT...]: how the operation is answered. */
    bool mode(const std::string &operation, const std::string &kind) const;
    /* Answer the operation with this HTTP status and body as they are. */
    bool answer(const std::string &operation, int status, const std::string &body) const;
    /* The requests received so far, in order. */
    std::vector<Sim_Request> requests() const;
    /* A field of "channel N" or "server" ("" when missing). */
    std::string channel_field(int channel, const std::string &field) const;
    std::string server_field(const std::string &field) const;
    /* A count of the stream listing: "frames-sent" or "logins" (0 when
       missing). */
    unsigned stream_count(const std::string &field) const;

    /* Asks the simulator to quit and waits until its control and stream
       ports are gone. */
    void stop();
    /* Starts it again on the same address after stop(); true once it answers. */
    bool start();

private:
    /* True when something listens at host:port. */
    bool accepts(unsigned short port) const;

    std::string host;
    std::string name;
    bool started;
};

/* True when a TCP connect to host:port succeeds. */
bool tcp_port_accepts(const std::string &host, unsigned short port);

#endif
