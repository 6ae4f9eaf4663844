/*
 * ptz_motion.h: the simulated camera's pan, tilt and zoom.  A move command
 * starts a motion at a steady rate that lasts until a stop (or another
 * move); the position at any instant is worked out from where the motion
 * started and how long it has run, so every stream and every snapshot of the
 * channel sees the same position at the same moment, however often (or
 * rarely) pictures are drawn.
 */
#ifndef KELM_SIM_PTZ_MOTION_H
#define KELM_SIM_PTZ_MOTION_H

#include <cstdint>

/* Where the camera looks.  pan: tenths of a degree, 0 to 3599, wrapping
   round a full turn.  tilt: tenths of a degree above the horizon, -450 to
   450.  zoom: percent, 100 (the widest view, 90 degrees across) to 400. */
struct Ptz_Position
{
    int pan = 0;
    int tilt = 0;
    int zoom = 100;
};

const int ptz_full_turn = 3600;
const int ptz_tilt_limit = 450;
const int ptz_zoom_min = 100;
const int ptz_zoom_max = 400;

/* Commands of the ptzop operation that the camera acts on. */
enum Ptz_Command
{
    ptz_none = 0,
    ptz_stop = 11,
    ptz_left = 20,
    ptz_right = 21,
    ptz_up = 22,
    ptz_down = 23,
    ptz_far = 24,
    ptz_near = 25,
    ptz_tele = 28,
    ptz_wide = 29,
};

class Ptz_Motion
{
public:
    /* The position at now_ms (milliseconds of a steady clock, never earlier
       than the last command). */
    Ptz_Position at(int64_t now_ms) const;

    /* Acts on a ptzop command at now_ms: a move starts (replacing any
       other), 0 and 11 stop; any other command leaves the camera as it is. */
    void command(int op, int64_t now_ms);

    /* The move command running, or 0 when the camera stands still. */
    int moving() const { return move; }

private:
    Ptz_Position start;  /* where the running motion began */
    int64_t since_ms = 0; /* when it began */
    int move = ptz_none;
};

/* Milliseconds of the steady clock that positions are reckoned in. */
int64_t ptz_clock_ms();

#endif
