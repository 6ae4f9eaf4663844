/*
 * channel_picture.cpp: a picture is drawn in layers: the camera's scene,
 * the moving bar, the channel number and clock, and the on-screen display
 * on top of everything.
 */

#include "channel_picture.h"

#include "camera_scene.h"

#include <cstdio>

namespace {

const Rgb white{255, 255, 255};

/* The scene a camera looks at changes only when the camera moves, while a
   stream draws ten pictures a second: each thread keeps the last scene it
   drew, so sixty-four large streams cost the machine copies, not scenes. */
struct Scene_Cache
{
    int channel = -1;
    Ptz_Position view;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    bool holds(int c, const Ptz_Position &v, int w, int h) const
    {
        return c == channel && v.pan == view.pan && v.tilt == view.tilt && v.zoom == view.zoom && w == width
               && h == height;
    }
};

void draw_scene(Channel_Picture &picture, int channel, const Ptz_Position &view)
{
    thread_local Scene_Cache cache;
    if (!cache.holds(channel, view, picture.width, picture.height)) {
        draw_camera_scene(picture, channel, view);
        cache = Scene_Cache{channel, view, picture.width, picture.height, picture.rgb};
        return;
    }
    picture.rgb = cache.rgb;
}

void draw_number_and_clock(Canvas &canvas, const Picture_Content &content, int width, int height)
{
    char number[16];
    (void)std::snprintf(number, sizeof number, "%d", content.channel); /* always fits */
    const int big = height / 16 > 1 ? height / 16 : 1;
    canvas.text(number, width / 10, height / 10, big, white);

    std::tm utc{};
    char clock[16] = "--:--:--";
    if (gmtime_r(&content.now, &utc))
        (void)std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", utc.tm_hour, utc.tm_min, utc.tm_sec); /* fits */
    const int small = big / 2 > 1 ? big / 2 : 1;
    canvas.text(clock, width / 10, height / 10 + 9 * big, small, white);
}

} // namespace

Channel_Picture draw_channel_picture(const Picture_Content &content, int width, int height)
{
    Channel_Picture picture{width, height, {}};
    draw_channel_picture(content, picture);
    return picture;
}

void draw_channel_picture(const Picture_Content &content, Channel_Picture &picture)
{
    const int width = picture.width, height = picture.height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    draw_scene(picture, content.channel, content.view);
    Canvas canvas(picture);

    /* The bar sweeps the width once every 64 frames. */
    const int bar_x = static_cast<int>(content.frame % 64) * width / 64;
    canvas.fill(bar_x, height - height / 6, width / 8, height / 8, Rgb{255, 220, 0});

    draw_number_and_clock(canvas, content, width, height);
    draw_osd(canvas, content.osd, content.now, width, height);
}
