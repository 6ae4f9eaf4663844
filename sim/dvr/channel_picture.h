/*
 * channel_picture.h: the pictures of a simulated channel: what its camera
 * sees at its pan, tilt and zoom, the channel number in large digits, the
 * server's clock, a bar that moves from frame to frame, and the channel's
 * on-screen display.  The live stream and the snapshots both draw with it.
 */
#ifndef KELM_SIM_CHANNEL_PICTURE_H
#define KELM_SIM_CHANNEL_PICTURE_H

#include "osd_overlay.h"
#include "picture_canvas.h"
#include "ptz_motion.h"

#include <cstdint>
#include <ctime>
#include <vector>

/* Everything a picture shows. */
struct Picture_Content
{
    int channel = 0;
    std::time_t now = 0;  /* shown as HH:MM:SS UTC */
    unsigned frame = 0;   /* the stream's frame number, for the moving bar */
    Ptz_Position view;
    Osd_Settings osd;
};

Channel_Picture draw_channel_picture(const Picture_Content &content, int width, int height);

/* The same, drawn over every pixel of `picture` at its width and height,
   reusing its storage: a stream draws frame after frame into one picture. */
void draw_channel_picture(const Picture_Content &content, Channel_Picture &picture);

#endif
