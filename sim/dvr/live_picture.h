/*
 * live_picture.h: a channel's picture as it is at this moment, drawn from
 * the simulator's state; the stream and the snapshot both take theirs here,
 * so both show the same scene at the same moment.
 */
#ifndef KELM_SIM_LIVE_PICTURE_H
#define KELM_SIM_LIVE_PICTURE_H

#include "channel_picture.h"

class Dvr_State;

/* Frame `frame` of a valid channel, with its on-screen display and its
   camera position now. */
Channel_Picture live_picture(Dvr_State &state, int channel, std::time_t now, unsigned frame, int width, int height);

/* The same, drawn into `picture` at its size, reusing its storage. */
void draw_live_picture(Dvr_State &state, int channel, std::time_t now, unsigned frame, Channel_Picture &picture);

#endif
