/*
 * control.cpp: the control channel of dvr-sim.  One connection carries one
 * command line (and, for "answer", the body that follows it); the reply is
 * everything written until the simulator closes the connection.  The
 * commands are listed in sim/dvr/README.md.
 */

#include "channel_tone.h"
#include "raw_answers.h"
#include "simulator.h"

#include <cstdlib>
#include <sstream>

#include <sys/resource.h>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

/* Settable numbers of a channel and of the server, by name. */
struct Channel_Field
{
    const char *name;
    int Channel_Settings::*number;
    bool Channel_Settings::*flag;
};

const Channel_Field channel_fields[] = {
    {"standard", &Channel_Settings::standard, nullptr}, {"coderate", &Channel_Settings::coderate, nullptr},
    {"resolution", &Channel_Settings::resolution, nullptr}, {"stream-type", &Channel_Settings::stream_type, nullptr},
    {"brightness", &Channel_Settings::brightness, nullptr}, {"contrast", &Channel_Settings::contrast, nullptr},
    {"saturation", &Channel_Settings::saturation, nullptr}, {"hue", &Channel_Settings::hue, nullptr},
    {"iq", &Channel_Settings::iq, nullptr}, {"bq", &Channel_Settings::bq, nullptr},
    {"pq", &Channel_Settings::pq, nullptr}, {"frames-in2i", &Channel_Settings::frames_in2i, nullptr},
    {"bframes", &Channel_Settings::bframes, nullptr}, {"pframes", &Channel_Settings::pframes, nullptr},
    {"framerate", &Channel_Settings::framerate, nullptr}, {"ox", &Channel_Settings::ox, nullptr},
    {"oy", &Channel_Settings::oy, nullptr}, {"lx", &Channel_Settings::lx, nullptr},
    {"ly", &Channel_Settings::ly, nullptr}, {"date", nullptr, &Channel_Settings::date},
    {"time", nullptr, &Channel_Settings::time}, {"port", &Channel_Settings::port, nullptr},
    {"ptzaddr", &Channel_Settings::ptzaddr, nullptr}, {"ptztype", &Channel_Settings::ptztype, nullptr},
    {"ptzspeed", &Channel_Settings::ptzspeed, nullptr}, {"last-ptz-op", &Channel_Settings::last_ptz_op, nullptr},
    {"last-ptz-range", &Channel_Settings::last_ptz_range, nullptr},
    {"logo-bytes", &Channel_Settings::logo_bytes, nullptr}, {"logo-x", &Channel_Settings::logo_x, nullptr},
    {"logo-y", &Channel_Settings::logo_y, nullptr}, {"signal", nullptr, &Channel_Settings::signal},
    {"stall", nullptr, &Channel_Settings::stalled}, {"tone", &Channel_Settings::tone, nullptr},
};

struct Server_Field
{
    const char *name;
    int Server_Settings::*number;
};

const Server_Field server_fields[] = {
    {"channel-cnt", &Server_Settings::channel_cnt}, {"svrport", &Server_Settings::svrport},
    {"cltport", &Server_Settings::cltport},         {"r-chnl", &Server_Settings::r_chnl},
    {"flen", &Server_Settings::flen},               {"almlen", &Server_Settings::almlen},
    {"svdays", &Server_Settings::svdays},
};

struct Command
{
    int fd;
    Simulator &sim;
    std::vector<std::string> words;
    std::string rest; /* the line after the first three words */
};

bool read_line(int fd, std::string &line)
{
    char c;
    while (line.size() < 4096) {
        if (::recv(fd, &c, 1, 0) != 1)
            return false;
        if (c == '\n')
            return true;
        if (c != '\r')
            line += c;
    }
    return false;
}

bool read_bytes(int fd, std::string &bytes, size_t size)
{
    bytes.resize(size);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::recv(fd, &bytes[got], size - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool to_number(const std::string &word, long &number)
{
    char *end = nullptr;
    number = std::strtol(word.c_str(), &end, 0);
    return !word.empty() && *end == '\0';
}

std::string ok(bool done)
{
    return done ? "ok\n" : "error\n";
}

std::string do_ping(Command &c) { return "ok " + c.sim.name + "\n"; }

std::string do_quit(Command &c)
{
    c.sim.quitting = true;
    return "ok\n";
}

std::string do_mode(Command &c)
{
    Behaviour behaviour;
    if (c.words.size() < 3 || !parse_behaviour({c.words.begin() + 2, c.words.end()}, behaviour))
        return "error: mode OPERATION KIND [ARGUMENT...]\n";
    c.sim.behaviours.set(c.words[1], behaviour);
    return "ok\n";
}

std::string do_answer(Command &c)
{
    long status = 0, length = 0;
    Behaviour behaviour;
    behaviour.kind = Answer_Kind::canned;
    if (c.words.size() != 4 || !to_number(c.words[2], status) || !to_number(c.words[3], length) || length < 0
        || !read_bytes(c.fd, behaviour.text, static_cast<size_t>(length)))
        return "error: answer OPERATION STATUS LENGTH, then the body\n";
    behaviour.number = status;
    c.sim.behaviours.set(c.words[1], behaviour);
    return "ok\n";
}

std::string do_reset(Command &c)
{
    c.sim.behaviours.reset();
    c.sim.log.clear();
    return "ok\n";
}

std::string do_log(Command &c)
{
    std::string reply;
    for (const Logged_Request &entry : c.sim.log.entries())
        reply += "request " + (entry.operation.empty() ? "-" : entry.operation) + " "
                 + std::to_string(entry.bytes.size()) + "\n" + entry.bytes + "\n";
    return reply + "end\n";
}

std::string do_clear_log(Command &c)
{
    c.sim.log.clear();
    return "ok\n";
}

std::string do_user(Command &c)
{
    long mask = 0;
    if (c.words.size() != 4 || !to_number(c.words[3], mask))
        return "error: user NAME PASSWORD MASK\n";
    return ok(c.sim.state.add_user(c.words[1], c.words[2], static_cast<int>(mask)) == 0);
}

std::string do_users(Command &c)
{
    std::string reply;
    for (const auto &user : c.sim.state.users_copy())
        reply += user.first + " " + user.second.password + " " + std::to_string(user.second.mask) + "\n";
    return reply + "end\n";
}

std::string do_snapshot_bytes(Command &c)
{
    long bytes = 0;
    if (c.words.size() != 2 || !to_number(c.words[1], bytes) || bytes < 0)
        return "error: snapshot-bytes N\n";
    c.sim.state.set_snapshot_bytes(static_cast<size_t>(bytes));
    return "ok\n";
}

/* Where the camera looks now and the move running (0: none). */
std::string camera_lines(const Ptz_Motion &ptz)
{
    const Ptz_Position now = ptz.at(ptz_clock_ms());
    return "pan=" + std::to_string(now.pan) + "\ntilt=" + std::to_string(now.tilt) + "\nzoom="
           + std::to_string(now.zoom) + "\nptz-move=" + std::to_string(ptz.moving()) + "\n";
}

std::string do_channel(Command &c)
{
    long channel = -1;
    if (c.words.size() != 2 || !to_number(c.words[1], channel) || !Dvr_State::valid_channel(static_cast<int>(channel)))
        return "error: channel N\n";
    return c.sim.state.with_channel(static_cast<int>(channel), [](Channel_Settings &s) {
        std::string reply = "name=" + s.name + "\nosdmsg=" + s.osdmsg + "\n";
        for (const Channel_Field &f : channel_fields)
            reply += std::string(f.name) + "=" + std::to_string(f.number ? s.*f.number : int(s.*f.flag)) + "\n";
        return reply + camera_lines(s.ptz) + "end\n";
    });
}

bool set_channel_field(Channel_Settings &s, const std::string &field, const std::string &value)
{
    long number = 0;
    if (field == "name" || field == "osdmsg") {
        (field == "name" ? s.name : s.osdmsg) = value;
        return true;
    }
    if (field == "tone" && !(to_number(value, number) && valid_tone(number)))
        return false;
    for (const Channel_Field &f : channel_fields) {
        if (field != f.name || !to_number(value, number))
            continue;
        if (f.number)
            s.*f.number = static_cast<int>(number);
        else
            s.*f.flag = number != 0;
        return true;
    }
    return false;
}

std::string do_set_channel(Command &c)
{
    long channel = -1;
    if (c.words.size() < 3 || !to_number(c.words[1], channel) || !Dvr_State::valid_channel(static_cast<int>(channel)))
        return "error: set-channel N FIELD VALUE\n";
    const bool set = c.sim.state.with_channel(static_cast<int>(channel), [&](Channel_Settings &s) {
        return set_channel_field(s, c.words[2], c.rest);
    });
    /* A new tone is heard at once in the channel's running streams. */
    if (set && c.words[2] == "tone")
        retune_channel(c.sim.state, static_cast<int>(channel));
    return ok(set);
}

std::string do_server(Command &c)
{
    return c.sim.state.with_server([](Server_Settings &s) {
        std::string reply = "name=" + s.name + "\nrecorde=" + std::to_string(int(s.recorde)) + "\n";
        for (const Server_Field &f : server_fields)
            reply += std::string(f.name) + "=" + std::to_string(s.*f.number) + "\n";
        return reply + "end\n";
    });
}

std::string do_set_server(Command &c)
{
    long number = 0;
    if (c.words.size() < 2)
        return "error: set-server FIELD VALUE\n";
    const std::string value = c.words.size() > 2 ? c.words[2] : "";
    return ok(c.sim.state.with_server([&](Server_Settings &s) {
        if (c.words[1] == "name") {
            s.name = value;
            return true;
        }
        for (const Server_Field &f : server_fields)
            if (c.words[1] == f.name && to_number(value, number)) {
                s.*f.number = static_cast<int>(number);
                return true;
            }
        return false;
    }));
}

std::string do_stream(Command &c)
{
    return stream_command(c.sim.stream, c.words);
}

/* The CPU the simulator has used, user and system, so that a benchmark can
   tell the server's share from the client's. */
std::string do_cpu(Command &)
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return "error: getrusage\n";
    const double seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return "cpu-seconds=" + std::to_string(seconds) + "\nend\n";
}

struct Handler
{
    const char *name;
    std::string (*run)(Command &);
};

const Handler handlers[] = {
    {"ping", do_ping},       {"quit", do_quit},         {"mode", do_mode},
    {"answer", do_answer},   {"reset", do_reset},       {"log", do_log},
    {"clear-log", do_clear_log}, {"user", do_user},     {"users", do_users},
    {"snapshot-bytes", do_snapshot_bytes}, {"channel", do_channel},
    {"set-channel", do_set_channel}, {"server", do_server}, {"set-server", do_set_server},
    {"stream", do_stream},   {"cpu", do_cpu},
};

/* Splits the line into words; rest is what follows the third word. */
void split(const std::string &line, std::vector<std::string> &words, std::string &rest)
{
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        words.push_back(word);
    size_t at = 0;
    for (int i = 0; i < 3 && at != std::string::npos; ++i) {
        at = line.find_first_not_of(' ', at);
        at = at == std::string::npos ? at : line.find(' ', at);
    }
    rest = at == std::string::npos ? "" : line.substr(at + 1);
}

} // namespace

void serve_control(Simulator &sim, int fd)
{
    timeval limit{5, 0};
    (void)::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit); /* best effort */
    Command command{fd, sim, {}, {}};
    std::string line;
    std::string reply = "error: no command\n";
    if (read_line(fd, line)) {
        split(line, command.words, command.rest);
        reply = "error: unknown command\n";
        for (const Handler &handler : handlers)
            if (!command.words.empty() && command.words[0] == handler.name)
                reply = handler.run(command);
    }
    (void)send_all(fd, reply); /* the test may have given up waiting */
    (void)::close(fd);
}
