/*
 * live_path.cpp: one spelling per channel, so that every client of a channel
 * reaches the same shared stream.
 */

#include "live_path.h"

#include "dvr_state.h"

#include <cstring>

namespace {

const char prefix[] = "/live/";

} // namespace

std::string live_path(int channel)
{
    return prefix + std::to_string(channel);
}

int live_channel(const char *path)
{
    if (!path || std::strncmp(path, prefix, sizeof prefix - 1) != 0)
        return 0;
    const char *digits = path + sizeof prefix - 1;
    if (*digits < '1' || *digits > '9')
        return 0;
    int channel = 0;
    for (const char *p = digits; *p; ++p) {
        if (*p < '0' || *p > '9' || p - digits >= 3)
            return 0;
        channel = channel * 10 + (*p - '0');
    }
    return Dvr_State::valid_channel(channel) ? channel : 0;
}
