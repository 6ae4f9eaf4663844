// Lag_Watch: how far behind the server a stream's packets are taken, from
// their presentation times against the clock.  The least
// distance seen between the two stands for a packet on time; anything
// further is time lost since (the network, or a machine that cannot keep
// up with decoding).
//
// A packet the reader had to wait for, as far from the clock as the one
// waited for before it, is on time by definition: nothing newer was
// waiting.  Its distance becomes the one on time, so that a server whose
// times move (a camera that restarts its clock, a server that starts its
// times afresh when another viewer joins) never looks late for ever.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/rational.h>
}

class Lag_Watch {
public:
    // Milliseconds `pts` (in `time_base`) is behind, taken at `now_ms`;
    // 0 for a packet without a time, and for one the reader waited for
    // (`awaited`) as far from the clock as the one awaited before.
    int64_t behind_ms(int64_t pts, AVRational time_base, int64_t now_ms, bool awaited);

private:
    bool started = false;
    int64_t newest_ms = 0;
    int64_t least_distance_ms = 0;
    bool awaited_before = false;          // a packet was waited for before
    int64_t last_awaited_distance_ms = 0; // and was this far from the clock
};
