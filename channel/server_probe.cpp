// Server_Probe: the probing thread.  All due addresses are probed together
// with non-blocking connects and one select, each bounded to a second.
#include <winsock2.h>

#include "server_probe.h"

#include "detached_thread.h"
#include "name_resolver.h"
#include "time_left.h"

#include <vector>

namespace {

const DWORD connect_bound_ms = 1000;
const DWORD idle_round_ms = 100;
// A target nobody asked about for this long is dropped; the thread ends
// when none is left.
const DWORD forget_after_ms = 5000;

struct Attempt {
    SOCKET socket = INVALID_SOCKET;
    DWORD started = 0;
    bool pending = false;
    bool answered = false;
};

// Begins a non-blocking connect; a connect that ends at once is settled.
void begin_attempt(const std::string& address, unsigned short port, Attempt* attempt)
{
    attempt->started = GetTickCount();
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    // A name is looked up within the connect's own bound: a name server
    // that does not answer makes the server as unreachable as a host that
    // does not.
    if (!resolve_within(address.c_str(), where.sin_addr, connect_bound_ms))
        return;
    attempt->socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long non_blocking = 1;
    if (attempt->socket == INVALID_SOCKET || ioctlsocket(attempt->socket, FIONBIO, &non_blocking) != 0)
        return;
    if (connect(attempt->socket, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0)
        attempt->answered = true;
    else
        attempt->pending = WSAGetLastError() == WSAEWOULDBLOCK;
}

// Waits, within the bound, for the pending connects to end either way.
void settle_attempts(std::vector<Attempt>& attempts)
{
    const DWORD started = GetTickCount();
    for (;;) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        for (const Attempt& a : attempts) {
            if (a.pending) {
                FD_SET(a.socket, &writable);
                FD_SET(a.socket, &failed);
            }
        }
        const DWORD left_ms = time_left(connect_bound_ms, started);
        if (writable.fd_count == 0 || left_ms == 0)
            return;
        timeval left = {0, static_cast<long>(left_ms * 1000)};
        if (select(0, nullptr, &writable, &failed, &left) == SOCKET_ERROR)
            return;
        for (Attempt& a : attempts) {
            if (a.pending && (FD_ISSET(a.socket, &writable) || FD_ISSET(a.socket, &failed))) {
                a.pending = false;
                a.answered = FD_ISSET(a.socket, &writable) != 0;
            }
        }
    }
}

} // namespace

Server_Probe& Server_Probe::instance()
{
    static Server_Probe probe;
    return probe;
}

Probe_Verdict Server_Probe::ask(const std::string& address, unsigned short port, DWORD news_since)
{
    boost::mutex::scoped_lock guard(lock);
    Target& target = targets[Key(address, port)];
    target.last_asked = GetTickCount();
    if (!target.news_asked || later_than(news_since, target.news_since)) {
        target.news_since = news_since;
        target.news_asked = true;
    }
    // The thread holds the module until it ends, so kelm.dll is never
    // unloaded under it.
    if (!thread_running)
        thread_running = start_detached_thread(&Server_Probe::thread_main, nullptr);
    return target.verdict;
}

void Server_Probe::thread_main(void*)
{
    WSADATA data;
    const bool sockets = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (sockets) {
        instance().run();
        (void)WSACleanup();  // balances the start-up above
    } else {
        boost::mutex::scoped_lock guard(instance().lock);
        instance().thread_running = false;
    }
}

void Server_Probe::run()
{
    std::vector<Key> due;
    while (take_due(&due)) {
        std::vector<Attempt> attempts(due.size());
        size_t i = 0;
        for (const Key& key : due)
            begin_attempt(key.first, key.second, &attempts[i++]);
        settle_attempts(attempts);
        i = 0;
        for (const Key& key : due) {
            const Attempt& a = attempts[i++];
            if (a.socket != INVALID_SOCKET)
                (void)closesocket(a.socket);  // a probe sends nothing
            record(key, a.started, a.answered);
        }
        if (due.empty())
            Sleep(idle_round_ms);
    }
}

// The targets whose next probe is due, at most a select's worth; false,
// with the thread marked ended, when nobody asks any more.
bool Server_Probe::take_due(std::vector<Key>* due)
{
    boost::mutex::scoped_lock guard(lock);
    due->clear();
    const DWORD now = GetTickCount();
    for (auto it = targets.begin(); it != targets.end();) {
        Target& target = it->second;
        if (!target.probing && elapsed(now, target.last_asked, forget_after_ms)) {
            it = targets.erase(it);
            continue;
        }
        const bool due_now = !target.verdict.probed || elapsed(now, target.verdict.started, interval_ms) ||
                             (target.news_asked && !later_than(target.verdict.started, target.news_since));
        if (!target.probing && due_now && due->size() < FD_SETSIZE) {
            target.probing = true;
            due->push_back(it->first);
        }
        ++it;
    }
    if (targets.empty())
        thread_running = false;
    return thread_running;
}

void Server_Probe::record(const Key& key, DWORD started, bool answered)
{
    boost::mutex::scoped_lock guard(lock);
    Target& target = targets[key];
    target.probing = false;
    target.verdict.answered = answered;
    target.verdict.started = started;
    target.verdict.probed = true;
}
