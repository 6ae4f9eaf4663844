/*
 * i420_picture.h: a channel picture as the stream hands it to the encoder:
 * I420, a luma plane followed by blue and red difference planes of half
 * the width and half the height, BT.601 studio range.
 */
#ifndef KELM_SIM_I420_PICTURE_H
#define KELM_SIM_I420_PICTURE_H

#include "picture_canvas.h"

#include <cstddef>
#include <cstdint>

/* Bytes of an I420 picture of even width and height. */
size_t i420_size(int width, int height);

/* Writes `picture` (of even width and height) as I420 into `out`, of
   i420_size bytes; each colour sample is the mean of its two-by-two pixels.
   Given the picture before it (same size) and that one's I420, each pair
   of rows the two pictures have alike is copied rather than converted: a
   stream's pictures differ from frame to frame only where the bar, the
   clock and the display are. */
void to_i420(const Channel_Picture &picture, uint8_t *out, const Channel_Picture *before = nullptr,
             const uint8_t *before_i420 = nullptr);

#endif
