// Latency_Record: how long the last pictures took from the server's
// capture to the end of their paint, for tests and benchmarks.  The
// server's RTCP sender reports tie its RTP times to the wall clock, which
// libavformat gives as the wall time of presentation time 0.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

class Latency_Record {
public:
    void add(int64_t ms)
    {
        if (recent.size() < most_kept)
            recent.push_back(ms);
        else
            recent[next++ % most_kept] = ms;
    }
    // The value below which `share` (0..1) of the kept ones lie; false
    // when none is kept.
    bool percentile(double share, int64_t* ms) const
    {
        if (recent.empty())
            return false;
        std::vector<int64_t> sorted(recent);
        const size_t at = std::min(sorted.size() - 1, static_cast<size_t>(share * sorted.size()));
        std::nth_element(sorted.begin(), sorted.begin() + at, sorted.end());
        *ms = sorted[at];
        return true;
    }

private:
    static const size_t most_kept = 1024;
    std::vector<int64_t> recent;
    size_t next = 0;
};
