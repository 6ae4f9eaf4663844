/*
 * i420_picture.cpp: the picture is converted two rows at a time, the rows
 * that share one row of colour samples.
 */

#include "i420_picture.h"

#include <cstring>

namespace {

/* Integer BT.601 studio-range weights, scaled by 256. */
uint8_t luma_of(const uint8_t *rgb)
{
    return static_cast<uint8_t>(((66 * rgb[0] + 129 * rgb[1] + 25 * rgb[2] + 128) >> 8) + 16);
}

/* Where band y (rows y and y + 1) lies in an I420 picture: its offset and
   length in the luma plane and in each colour plane, and where the colour
   planes start. */
struct Band
{
    size_t luma, colour, luma_bytes, colour_bytes;
    size_t blue_plane, red_plane;

    Band(int width, int height, int y)
        : luma(static_cast<size_t>(y) * width), colour(static_cast<size_t>(y / 2) * (width / 2)),
          luma_bytes(static_cast<size_t>(width) * 2), colour_bytes(static_cast<size_t>(width / 2)),
          blue_plane(static_cast<size_t>(width) * height),
          red_plane(blue_plane + static_cast<size_t>(width / 2) * (height / 2))
    {
    }
};

void convert_band(const Channel_Picture &picture, int y, uint8_t *out)
{
    const int width = picture.width;
    const Band band(width, picture.height, y);
    const size_t row = static_cast<size_t>(width) * 3;
    const uint8_t *top = picture.rgb.data() + y * row;
    const uint8_t *bottom = top + row;
    uint8_t *luma_top = out + band.luma;
    uint8_t *luma_bottom = luma_top + width;
    uint8_t *blue = out + band.blue_plane + band.colour;
    uint8_t *red = out + band.red_plane + band.colour;
    for (int x = 0; x < width; x += 2, top += 6, bottom += 6) {
        luma_top[x] = luma_of(top);
        luma_top[x + 1] = luma_of(top + 3);
        luma_bottom[x] = luma_of(bottom);
        luma_bottom[x + 1] = luma_of(bottom + 3);
        const int r = top[0] + top[3] + bottom[0] + bottom[3];
        const int g = top[1] + top[4] + bottom[1] + bottom[4];
        const int b = top[2] + top[5] + bottom[2] + bottom[5];
        /* The sums are of four pixels: rounding term and shift grow by four. */
        *blue++ = static_cast<uint8_t>(((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128);
        *red++ = static_cast<uint8_t>(((112 * r - 94 * g - 18 * b + 512) >> 10) + 128);
    }
}

void copy_band(int width, int height, int y, const uint8_t *from, uint8_t *to)
{
    const Band band(width, height, y);
    std::memcpy(to + band.luma, from + band.luma, band.luma_bytes);
    std::memcpy(to + band.blue_plane + band.colour, from + band.blue_plane + band.colour, band.colour_bytes);
    std::memcpy(to + band.red_plane + band.colour, from + band.red_plane + band.colour, band.colour_bytes);
}

bool band_alike(const Channel_Picture &a, const Channel_Picture &b, int y)
{
    const size_t row = static_cast<size_t>(a.width) * 3;
    return std::memcmp(a.rgb.data() + y * row, b.rgb.data() + y * row, 2 * row) == 0;
}

} // namespace

size_t i420_size(int width, int height)
{
    return static_cast<size_t>(width) * height * 3 / 2;
}

void to_i420(const Channel_Picture &picture, uint8_t *out, const Channel_Picture *before, const uint8_t *before_i420)
{
    const bool reusable = before && before_i420 && before->width == picture.width
                          && before->height == picture.height;
    for (int y = 0; y < picture.height; y += 2) {
        if (reusable && band_alike(picture, *before, y))
            copy_band(picture.width, picture.height, y, before_i420, out);
        else
            convert_band(picture, y, out);
    }
}
