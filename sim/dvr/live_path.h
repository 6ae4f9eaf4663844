/*
 * live_path.h: the URL path of a channel's live stream, rtsp://ADDRESS:PORT
 * followed by "/live/N" with N the channel number in decimal.
 */
#ifndef KELM_SIM_LIVE_PATH_H
#define KELM_SIM_LIVE_PATH_H

#include <string>

std::string live_path(int channel);

/* The channel a path names, or 0 when it is not exactly "/live/N" with N
   from 1 to 255 written without leading zeros. */
int live_channel(const char *path);

#endif
