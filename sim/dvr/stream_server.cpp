/*
 * stream_server.cpp: one thread per stream connection (Server_Loop).
 */

#include "stream_server.h"

#include "live_picture.h"
#include "simulator.h"
#include "stream_protocol.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

const int login_timeout_seconds = 10;

bool send_all(int fd, const void *data, size_t size)
{
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool receive_all(int fd, void *data, size_t size)
{
    char *bytes = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t got = ::recv(fd, bytes, size, 0);
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

std::string field_text(const char (&field)[STREAM_TEXT_BYTES])
{
    return std::string(field, strnlen(field, sizeof field));
}

uint32_t login_status(Simulator &sim, const Stream_Login &login)
{
    const Stream_Behaviour &behaviour = sim.stream;
    if (behaviour.refuse.load())
        return STREAM_REFUSED;
    const std::string user = field_text(login.user_name);
    if (user.empty() ? !behaviour.anonymous.load() : sim.state.logon(user, field_text(login.password)) == -1)
        return STREAM_REFUSED;
    const int channels = sim.state.with_server([](Server_Settings &s) { return s.channel_cnt; });
    // Channels are numbered 1 to the channel count, as on a DVR's inputs.
    if (login.channel < 1 || login.channel > channels)
        return STREAM_NO_CHANNEL;
    const bool signal = sim.state.with_channel(login.channel, [](Channel_Settings &s) { return s.signal; });
    return signal ? STREAM_ACCEPTED : STREAM_NO_SIGNAL;
}

bool answer_login(Simulator &sim, int fd, uint16_t *channel)
{
    timeval timeout{login_timeout_seconds, 0};
    (void)setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    Stream_Login login{};
    if (!receive_all(fd, &login, sizeof login) || std::memcmp(login.magic, "KLGN", 4) != 0 ||
        login.version != STREAM_PROTOCOL_VERSION)
        return false;
    const uint32_t status = login_status(sim, login);
    sim.stream.logins.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(sim.stream.accept_delay_ms.load()));
    Stream_Login_Reply reply{};
    std::memcpy(reply.magic, "KACK", 4);
    reply.status = status;
    *channel = login.channel;
    return send_all(fd, &reply, sizeof reply) && status == STREAM_ACCEPTED;
}

bool send_frame(Simulator &sim, int fd, uint16_t channel, unsigned sequence)
{
    const std::time_t now = std::time(nullptr);
    const Channel_Picture picture =
        live_picture(sim.state, channel, now, sequence, sim.stream.width.load(), sim.stream.height.load());
    const std::vector<uint8_t> pixels = to_bgr(picture);
    Stream_Frame_Header header{};
    std::memcpy(header.magic, "KFRM", 4);
    header.sequence = sequence;
    header.width = static_cast<uint32_t>(picture.width);
    header.height = static_cast<uint32_t>(picture.height);
    header.seconds = static_cast<uint32_t>(now);
    header.payload_size = static_cast<uint32_t>(pixels.size());
    return send_all(fd, &header, sizeof header) && send_all(fd, pixels.data(), pixels.size());
}

/* All streams stall, or those of one channel. */
bool stalled(Simulator &sim, uint16_t channel)
{
    return sim.stream.stall.load() ||
           sim.state.with_channel(channel, [](Channel_Settings &s) { return s.stalled; });
}

/* Holds a stalled stream's connection open without a frame until the stall
   is lifted; the frame clock then starts afresh. */
void wait_out_stall(Simulator &sim, uint16_t channel, std::chrono::steady_clock::time_point *next)
{
    if (!stalled(sim, channel))
        return;
    while (stalled(sim, channel) && !sim.quitting.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    *next = std::chrono::steady_clock::now();
}

void stream_frames(Simulator &sim, int fd)
{
    uint16_t channel = 0;
    if (!answer_login(sim, fd, &channel))
        return;
    auto next = std::chrono::steady_clock::now();
    for (unsigned sequence = 0; !sim.quitting.load(); ++sequence) {
        const int limit = sim.stream.break_after_frames.load();
        if (limit > 0 && sequence >= static_cast<unsigned>(limit))
            return;
        wait_out_stall(sim, channel, &next);
        if (sim.quitting.load() || !send_frame(sim, fd, channel, sequence))
            return;
        sim.stream.frames_sent.fetch_add(1);
        const int rate = sim.stream.frames_per_second.load();
        next += std::chrono::milliseconds(1000 / (rate > 0 ? rate : 1));
        std::this_thread::sleep_until(next);
    }
}

} // namespace

void serve_stream(Simulator &sim, int fd)
{
    stream_frames(sim, fd);
    (void)::close(fd);
}

std::string stream_command(Stream_Behaviour &b, const std::vector<std::string> &words)
{
    struct Field
    {
        const char *name;
        std::atomic<int> *number;
        std::atomic<bool> *flag;
    };
    const Field fields[] = {
        {"refuse", nullptr, &b.refuse},           {"anonymous", nullptr, &b.anonymous},
        {"accept-delay", &b.accept_delay_ms, nullptr}, {"break-after", &b.break_after_frames, nullptr},
        {"fps", &b.frames_per_second, nullptr},   {"width", &b.width, nullptr},
        {"height", &b.height, nullptr},          {"stall", nullptr, &b.stall},
    };
    if (words.size() == 1) {
        std::string reply;
        for (const Field &f : fields)
            reply += std::string(f.name) + "=" + std::to_string(f.number ? f.number->load() : int(f.flag->load())) + "\n";
        return reply + "frames-sent=" + std::to_string(b.frames_sent.load()) + "\nlogins=" +
               std::to_string(b.logins.load()) + "\nend\n";
    }
    if (words.size() != 3)
        return "error: stream [FIELD VALUE]\n";
    char *end = nullptr;
    const long value = std::strtol(words[2].c_str(), &end, 10);
    if (words[2].empty() || *end || value < 0 || value > 1000000)
        return "error: VALUE is a number from 0 to 1000000\n";
    for (const Field &f : fields) {
        if (words[1] != f.name)
            continue;
        if (f.number)
            f.number->store(static_cast<int>(value));
        else
            f.flag->store(value != 0);
        return "ok\n";
    }
    return "error: unknown field\n";
}
