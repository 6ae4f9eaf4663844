/*
 * channel_picture.h: the pictures of a simulated channel: the channel number
 * in large digits, the server's clock, and a bar that moves from frame to
 * frame, on a background whose colour tells the channels apart.  The live
 * stream and the snapshots both draw with it.
 */
#ifndef KELM_SIM_CHANNEL_PICTURE_H
#define KELM_SIM_CHANNEL_PICTURE_H

#include <cstdint>
#include <ctime>
#include <vector>

struct Channel_Picture
{
    int width;
    int height;
    std::vector<uint8_t> rgb; /* rows top to bottom, red, green, blue */
};

/* Frame `frame` of channel `channel` at time `now` (shown as HH:MM:SS UTC). */
Channel_Picture draw_channel_picture(int channel, std::time_t now, unsigned frame, int width, int height);

/* The same pixels with blue and red swapped, as the stream carries them. */
std::vector<uint8_t> to_bgr(const Channel_Picture &picture);

#endif
