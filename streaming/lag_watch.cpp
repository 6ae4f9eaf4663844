#include "lag_watch.h"

#include <cstdlib>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace {

// Far more than any real lag: the server's clock jumped; its times are
// measured afresh from there.
const int64_t clock_jump_ms = 10000;
// How far the distances of two awaited packets may differ for them to have
// come as the server sent them: the newest time moves in steps of a group
// of B-frames (up to four pictures at 25 a second) and arrivals jitter.
const int64_t arrival_jitter_ms = 200;

} // namespace

int64_t Lag_Watch::behind_ms(int64_t pts, AVRational time_base, int64_t now_ms, bool awaited)
{
    if (pts == AV_NOPTS_VALUE)
        return 0;
    const int64_t pts_ms = av_rescale_q(pts, time_base, AVRational{1, 1000});
    // Pictures that come before others they refer to (B-frames) carry
    // earlier times; the newest time received says how far the stream is.
    if (!started || pts_ms > newest_ms || newest_ms - pts_ms > clock_jump_ms)
        newest_ms = pts_ms;
    const int64_t distance = now_ms - newest_ms;
    // A packet let go after a silence (the last picture before a stall,
    // released when something else arrives) was waited for too, but came
    // far later than the awaited packet before it: only one as far behind
    // as that one counts as on time.
    const bool live =
        awaited && awaited_before && std::llabs(distance - last_awaited_distance_ms) <= arrival_jitter_ms;
    if (awaited) {
        awaited_before = true;
        last_awaited_distance_ms = distance;
    }
    if (!started || live || distance < least_distance_ms || distance - least_distance_ms > clock_jump_ms) {
        started = true;
        least_distance_ms = distance;
    }
    return distance - least_distance_ms;
}
