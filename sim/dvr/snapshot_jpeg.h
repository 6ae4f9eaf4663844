/*
 * snapshot_jpeg.h: the pictures the simulated DVR answers a snapshot with.
 */
#ifndef KELM_SIM_SNAPSHOT_JPEG_H
#define KELM_SIM_SNAPSHOT_JPEG_H

#include <cstddef>
#include <string>

class Dvr_State;

/* A JPEG picture (176 x 144, a few kilobytes) of a valid channel as its live
   stream shows it now.  With pad_to larger than the picture, comment
   segments fill it up to exactly pad_to bytes (the picture stays valid).
   Empty on failure. */
std::string snapshot_jpeg(Dvr_State &state, int channel, size_t pad_to);

#endif
