/*
 * osd_overlay.h: the on-screen display of a channel picture, as set through
 * set-osdlogo: the text, then the date and the time, in white dot-font
 * letters on a darkened block, at the logo origin scaled to the picture.
 */
#ifndef KELM_SIM_OSD_OVERLAY_H
#define KELM_SIM_OSD_OVERLAY_H

#include "picture_canvas.h"

#include <ctime>
#include <string>

struct Osd_Settings
{
    std::string text; /* narrow text; bytes outside printable ASCII show as boxes */
    bool date = false;
    bool time = false;
    int ox = 0, oy = 0; /* logo origin in a space 300 wide and 500 high */
};

/* The logo space the origin is given in: the logo corners of the control
   lie at (0,0), (250,0), (0,450) and (250,450). */
const int osd_space_width = 300;
const int osd_space_height = 500;

/* Draws the display onto a picture of width x height (nothing when it has
   neither text nor date nor time), shifted in so that it stays inside. */
void draw_osd(Canvas &canvas, const Osd_Settings &osd, std::time_t now, int width, int height);

#endif
