/*
 * picture_canvas.cpp: rectangles are clipped to the picture once, then
 * painted row by row.
 */

#include "picture_canvas.h"

#include "dot_font.h"

#include <algorithm>

template <class Paint> void Canvas::each_pixel(int left, int top, int width, int height, Paint paint)
{
    const int x0 = std::max(left, 0), x1 = std::min(left + width, picture.width);
    const int y0 = std::max(top, 0), y1 = std::min(top + height, picture.height);
    for (int y = y0; y < y1; ++y) {
        uint8_t *p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x0) * 3];
        for (int x = x0; x < x1; ++x, p += 3)
            paint(p);
    }
}

void Canvas::fill(int left, int top, int width, int height, Rgb colour)
{
    each_pixel(left, top, width, height, [&](uint8_t *p) {
        p[0] = colour.r;
        p[1] = colour.g;
        p[2] = colour.b;
    });
}

void Canvas::darken(int left, int top, int width, int height)
{
    each_pixel(left, top, width, height, [](uint8_t *p) {
        p[0] >>= 2;
        p[1] >>= 2;
        p[2] >>= 2;
    });
}

void Canvas::text(const std::string &text, int left, int top, int dot, Rgb colour)
{
    for (const char c : text) {
        const unsigned char *rows = dot_glyph(static_cast<unsigned char>(c));
        for (int row = 0; row < glyph_rows; ++row)
            for (int column = 0; column < glyph_columns; ++column)
                if (rows[row] & (0x10 >> column))
                    fill(left + column * dot, top + row * dot, dot, dot, colour);
        left += glyph_advance * dot;
    }
}

int text_width(size_t length, int dot)
{
    return length == 0 ? 0 : static_cast<int>((length * glyph_advance - (glyph_advance - glyph_columns)) * dot);
}
