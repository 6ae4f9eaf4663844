// Server_Probe: finds out, on a thread of its own, whether a server's stream
// port takes connections, so that the host's thread never waits on a server
// that is down.  Each address and port is probed at most once a
// second however many panes wait on it; the thread ends when nobody has
// asked for a while, and keeps kelm.dll loaded while it runs.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <boost/thread/mutex.hpp>

struct Probe_Verdict {
    bool answered = false;  // the latest probe connected
    DWORD started = 0;      // tick count when it began; meaningless until `probed`
    bool probed = false;    // a probe has ended since the address was first asked for
};

class Server_Probe {
public:
    static const DWORD interval_ms = 1000;

    static Server_Probe& instance();

    // The latest verdict on the address and port; asking keeps them probed.
    // A verdict from a probe begun before `news_since` (a tick count: the
    // asker's loss, say) is of no use to the asker: the next probe starts
    // at once instead of after the interval.
    Probe_Verdict ask(const std::string& address, unsigned short port, DWORD news_since);

    Server_Probe(const Server_Probe&) = delete;
    Server_Probe& operator=(const Server_Probe&) = delete;

private:
    using Key = std::pair<std::string, unsigned short>;
    struct Target {
        DWORD last_asked = 0;
        bool probing = false;
        DWORD news_since = 0;   // the newest start an asker waits for
        bool news_asked = false;
        Probe_Verdict verdict;
    };

    Server_Probe() = default;
    static void thread_main(void*);
    void run();
    bool take_due(std::vector<Key>* due);
    void record(const Key& key, DWORD started, bool answered);

    boost::mutex lock;  // guards everything below; never held for I/O
    std::map<Key, Target> targets;
    bool thread_running = false;
};
