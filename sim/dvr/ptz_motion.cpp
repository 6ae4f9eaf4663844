/*
 * ptz_motion.cpp: the rates of the simulated camera's moves and the bounds
 * that keep a move left running in range.
 */

#include "ptz_motion.h"

#include <algorithm>
#include <chrono>

namespace {

/* One axis of the camera: pan wraps round the full turn, tilt and zoom
   stop at their limits. */
struct Axis
{
    int Ptz_Position::*field;
    int low, high;
    bool wraps;
};

const Axis pan_axis{&Ptz_Position::pan, 0, ptz_full_turn - 1, true};
const Axis tilt_axis{&Ptz_Position::tilt, -ptz_tilt_limit, ptz_tilt_limit, false};
const Axis zoom_axis{&Ptz_Position::zoom, ptz_zoom_min, ptz_zoom_max, false};

/* Per second: a pan turns 30 degrees (a full turn in 12 s), a tilt 20
   degrees, a zoom 50 percent.  Far and near zoom out and in like wide and
   tele: the simulated lens has no focus to change. */
struct Move
{
    int command;
    const Axis *axis;
    int per_second;
};

const Move moves[] = {
    {ptz_left, &pan_axis, -300}, {ptz_right, &pan_axis, 300}, {ptz_up, &tilt_axis, 200},
    {ptz_down, &tilt_axis, -200}, {ptz_tele, &zoom_axis, 50}, {ptz_wide, &zoom_axis, -50},
    {ptz_near, &zoom_axis, 50},   {ptz_far, &zoom_axis, -50},
};

const Move *find_move(int command)
{
    for (const Move &m : moves)
        if (m.command == command)
            return &m;
    return nullptr;
}

/* The axis moved by travel from `from`, brought back in range.  The travel
   is reduced before it is added, so no running time, however long,
   overflows. */
int moved(const Axis &axis, int from, int64_t travel)
{
    if (axis.wraps) {
        const int64_t span = axis.high - axis.low + 1;
        const int64_t turned = (from - axis.low + travel % span) % span;
        return static_cast<int>(axis.low + (turned < 0 ? turned + span : turned));
    }
    const int64_t span = axis.high - axis.low;
    return static_cast<int>(std::clamp<int64_t>(from + std::clamp<int64_t>(travel, -span, span), axis.low, axis.high));
}

} // namespace

Ptz_Position Ptz_Motion::at(int64_t now_ms) const
{
    Ptz_Position position = start;
    const Move *running = find_move(move);
    if (!running)
        return position;
    const int64_t elapsed = std::max<int64_t>(now_ms - since_ms, 0);
    const int64_t travel = elapsed / 1000 * running->per_second + elapsed % 1000 * running->per_second / 1000;
    int Ptz_Position::*field = running->axis->field;
    position.*field = moved(*running->axis, start.*field, travel);
    return position;
}

void Ptz_Motion::command(int op, int64_t now_ms)
{
    if (op != ptz_none && op != ptz_stop && !find_move(op))
        return;
    start = at(now_ms);
    since_ms = now_ms;
    move = find_move(op) ? op : ptz_none;
}

int64_t ptz_clock_ms()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
