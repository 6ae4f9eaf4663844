/*
 * live_picture.cpp: the settings are copied under the state's lock and the
 * picture drawn outside it, so drawing never holds up a service call.
 */

#include "live_picture.h"

#include "dvr_state.h"

Channel_Picture live_picture(Dvr_State &state, int channel, std::time_t now, unsigned frame, int width, int height)
{
    Channel_Picture picture{width, height, {}};
    draw_live_picture(state, channel, now, frame, picture);
    return picture;
}

void draw_live_picture(Dvr_State &state, int channel, std::time_t now, unsigned frame, Channel_Picture &picture)
{
    const int64_t now_ms = ptz_clock_ms();
    Picture_Content content;
    content.channel = channel;
    content.now = now;
    content.frame = frame;
    state.with_channel(channel, [&](Channel_Settings &s) {
        content.view = s.ptz.at(now_ms);
        content.osd = Osd_Settings{s.osdmsg, s.date, s.time, s.ox, s.oy};
    });
    draw_channel_picture(content, picture);
}
