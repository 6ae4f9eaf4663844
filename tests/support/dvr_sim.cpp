/*
 * dvr_sim.cpp: starting, commanding and stopping dvr-sim from Windows code.
 */

#include "dvr_sim.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

const unsigned short control_port = 8001;
const unsigned short stream_port = 12000;

/* Winsock for the life of the test program. */
struct Winsock
{
    Winsock()
    {
        WSADATA data;
        ready = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock()
    {
        if (ready)
            WSACleanup();
    }
    bool ready;
};

bool winsock_ready()
{
    static Winsock winsock;
    return winsock.ready;
}

class Socket
{
public:
    Socket() : fd(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    ~Socket()
    {
        if (fd != INVALID_SOCKET)
            closesocket(fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    bool connect_to(const std::string &host, unsigned short port)
    {
        sockaddr_in where = {};
        where.sin_family = AF_INET;
        where.sin_port = htons(port);
        if (fd == INVALID_SOCKET || inet_pton(AF_INET, host.c_str(), &where.sin_addr) != 1)
            return false;
        const DWORD limit = 10000;
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&limit), sizeof limit);
        return connect(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) == 0;
    }

    bool send_all(const std::string &bytes)
    {
        for (size_t sent = 0; sent < bytes.size();) {
            const int n = send(fd, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }

    std::string receive_all()
    {
        std::string bytes;
        char buffer[16384];
        int n;
        while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0)
            bytes.append(buffer, static_cast<size_t>(n));
        return bytes;
    }

private:
    SOCKET fd;
};

std::string address_of(unsigned number)
{
    char text[32];
    std::snprintf(text, sizeof text, "127.%u.%u.%u", (number >> 16) & 0xFF, (number >> 8) & 0xFF, number & 0xFF);
    return text;
}

/* Value of "field=value" in a reply of lines. */
std::string field_of(const std::string &reply, const std::string &field)
{
    const std::string key = field + "=";
    for (size_t at = 0; at < reply.size();) {
        size_t end = reply.find('\n', at);
        if (end == std::string::npos)
            end = reply.size();
        if (reply.compare(at, key.size(), key) == 0)
            return reply.substr(at + key.size(), end - at - key.size());
        at = end + 1;
    }
    return std::string();
}

bool start_process(const std::string &address, const std::string &name)
{
    const char *program = std::getenv("KELM_DVR_SIM");
    if (!program || !*program)
        return false;
    /* Benchmarks that run longer than a test set KELM_SIM_LIFETIME (seconds). */
    const char *lifetime = std::getenv("KELM_SIM_LIFETIME");
    std::string line = "\"" + std::string(program) + "\" --address " + address + " --lifetime "
                       + std::string(lifetime && *lifetime ? lifetime : "300") + " --idle 60 --name " + name;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    /* The handles of a Linux program under Wine tell nothing; only close them. */
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace

std::string Sim_Request::header() const
{
    const size_t end = bytes.find("\r\n\r\n");
    return end == std::string::npos ? bytes : bytes.substr(0, end + 4);
}

std::string Sim_Request::body() const
{
    const size_t end = bytes.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : bytes.substr(end + 4);
}

unsigned Dvr_Sim::number_for(const std::string &text)
{
    /* KELM_SIM_SALT moves a whole run to other addresses, so that two
       checkouts can run their tests on one machine at the same time. */
    const char *salt = std::getenv("KELM_SIM_SALT");
    const std::string salted = salt ? text + salt : text;
    unsigned hash = 2166136261u; /* FNV-1a */
    for (unsigned char c : salted)
        hash = (hash ^ c) * 16777619u;
    unsigned number = hash & 0xFFFFFF;
    if ((number & 0xFF) == 0 || (number & 0xFF) == 0xFF)
        number ^= 0x7F;
    return number;
}

Dvr_Sim::Dvr_Sim(unsigned number) : host(address_of(number)), started(false)
{
    (void)start();
}

bool Dvr_Sim::start()
{
    if (started)
        return true;
    char unique[64];
    std::snprintf(unique, sizeof unique, "sim-%lu-%lu", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()));
    name = unique;
    if (!winsock_ready() || !start_process(host, name))
        return false;
    const std::string expected = "ok " + name + "\n";
    for (int attempt = 0; attempt < 100 && !started; ++attempt) {
        const std::string reply = command("ping");
        if (!reply.empty() && reply != expected)
            return false; /* someone else serves this address */
        started = reply == expected;
        if (!started)
            Sleep(100);
    }
    return started;
}

Dvr_Sim::~Dvr_Sim()
{
    stop();
}

/* The control port can stop answering a moment before the simulator has let
   go of its other ports: a stream started then would reach a server on its
   way out (broken off) instead of nothing at all (unreachable). */
void Dvr_Sim::stop()
{
    if (!started)
        return;
    started = false;
    (void)command("quit"); /* its reply does not matter; the ports going away do */
    for (int attempt = 0; attempt < 30 && (!command("ping").empty() || accepts(stream_port)); ++attempt)
        Sleep(100);
}

bool tcp_port_accepts(const std::string &host, unsigned short port)
{
    Socket probe;
    return probe.connect_to(host, port);
}

bool Dvr_Sim::accepts(unsigned short port) const
{
    return tcp_port_accepts(host, port);
}

std::string Dvr_Sim::address_for(const std::string &name)
{
    return address_of(number_for(name));
}

std::string Dvr_Sim::command(const std::string &line, const std::string &payload) const
{
    Socket control;
    if (!control.connect_to(host, control_port) || !control.send_all(line + "\n" + payload))
        return std::string();
    return control.receive_all();
}

bool Dvr_Sim::ok(const std::string &line) const
{
    return command(line) == "ok\n";
}

bool Dvr_Sim::mode(const std::string &operation, const std::string &kind) const
{
    return ok("mode " + operation + " " + kind);
}

bool Dvr_Sim::answer(const std::string &operation, int status, const std::string &body) const
{
    return command("answer " + operation + " " + std::to_string(status) + " " + std::to_string(body.size()), body)
           == "ok\n";
}

std::vector<Sim_Request> Dvr_Sim::requests() const
{
    const std::string reply = command("log");
    std::vector<Sim_Request> entries;
    size_t at = 0;
    while (reply.compare(at, 8, "request ") == 0) {
        const size_t line_end = reply.find('\n', at);
        const size_t space = reply.find(' ', at + 8);
        if (line_end == std::string::npos || space == std::string::npos || space > line_end)
            break;
        Sim_Request entry;
        entry.operation = reply.substr(at + 8, space - at - 8);
        const size_t length = std::strtoul(reply.c_str() + space + 1, nullptr, 10);
        entry.bytes = reply.substr(line_end + 1, length);
        entries.push_back(entry);
        at = line_end + 1 + length + 1;
    }
    return entries;
}

std::string Dvr_Sim::channel_field(int channel, const std::string &field) const
{
    return field_of(command("channel " + std::to_string(channel)), field);
}

std::string Dvr_Sim::server_field(const std::string &field) const
{
    return field_of(command("server"), field);
}

unsigned Dvr_Sim::stream_count(const std::string &field) const
{
    const std::string value = field_of(command("stream"), field);
    return value.empty() ? 0 : static_cast<unsigned>(std::stoul(value));
}
