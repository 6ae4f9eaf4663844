// Lag_Watch: how far behind the server a stream's packets are taken, from
// their presentation times against the clock.  The least
// distance seen between the two stands for a packet on time; anything
// further is time lost since (the network, or a machine that cannot keep
// up with decoding).
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/rational.h>
}

class Lag_Watch {
public:
    // Milliseconds `pts` (in `time_base`) is behind, taken at `now_ms`;
    // 0 for a packet without a time.
    int64_t behind_ms(int64_t pts, AVRational time_base, int64_t now_ms);

private:
    bool started = false;
    int64_t newest_ms = 0;
    int64_t least_distance_ms = 0;
};
