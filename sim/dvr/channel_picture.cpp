/*
 * channel_picture.cpp: a 5 x 7 dot font of our own for digits and the
 * colon, each dot drawn as a square block.
 */

#include "channel_picture.h"

#include <cstdio>
#include <utility>

namespace {

/* Rows of the glyphs "0" to "9" and ":", five dots wide, top row first. */
const unsigned char font[11][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00},
};

struct Canvas
{
    Channel_Picture &picture;

    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b)
    {
        if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
            return;
        uint8_t *p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }

    void fill(int left, int top, int width, int height, uint8_t r, uint8_t g, uint8_t b)
    {
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                set(x, y, r, g, b);
    }

    /* Draws `text` (digits and colons) with dots of `dot` pixels; returns
       the x after the last glyph. */
    int text(const char *text, int left, int top, int dot)
    {
        for (; *text; ++text) {
            const int glyph = *text == ':' ? 10 : *text - '0';
            if (glyph < 0 || glyph > 10)
                continue;
            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < 5; ++column)
                    if (font[glyph][row] & (0x10 >> column))
                        fill(left + column * dot, top + row * dot, dot, dot, 255, 255, 255);
            left += 6 * dot;
        }
        return left;
    }
};

} // namespace

Channel_Picture draw_channel_picture(int channel, std::time_t now, unsigned frame, int width, int height)
{
    Channel_Picture picture{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    Canvas canvas{picture};
    const uint8_t tint = static_cast<uint8_t>((channel * 53) & 0xFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            canvas.set(x, y, tint, static_cast<uint8_t>(40 + y * 80 / height), static_cast<uint8_t>(160 - tint / 2));

    /* The bar sweeps the width once every 64 frames. */
    const int bar_x = static_cast<int>(frame % 64) * width / 64;
    canvas.fill(bar_x, height - height / 6, width / 8, height / 8, 255, 220, 0);

    char number[16];
    std::snprintf(number, sizeof number, "%d", channel);
    const int big = height / 16 > 1 ? height / 16 : 1;
    canvas.text(number, width / 10, height / 10, big);

    std::tm utc{};
    gmtime_r(&now, &utc);
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", utc.tm_hour, utc.tm_min, utc.tm_sec);
    const int small = big / 2 > 1 ? big / 2 : 1;
    canvas.text(clock, width / 10, height / 10 + 9 * big, small);
    return picture;
}

std::vector<uint8_t> to_bgr(const Channel_Picture &picture)
{
    std::vector<uint8_t> bgr(picture.rgb);
    for (size_t i = 0; i + 2 < bgr.size(); i += 3)
        std::swap(bgr[i], bgr[i + 2]);
    return bgr;
}
