/*
 * picture_canvas.h: the pixels of a channel picture, and drawing on them:
 * filled rectangles, darkened rectangles and dot-font text, all clipped to
 * the picture.
 */
#ifndef KELM_SIM_PICTURE_CANVAS_H
#define KELM_SIM_PICTURE_CANVAS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Channel_Picture
{
    int width;
    int height;
    std::vector<uint8_t> rgb; /* rows top to bottom, red, green, blue */
};

struct Rgb
{
    uint8_t r, g, b;
};

class Canvas
{
public:
    explicit Canvas(Channel_Picture &picture) : picture(picture) {}

    void fill(int left, int top, int width, int height, Rgb colour);

    /* Brings the pixels of the rectangle down to a quarter of their
       brightness, so light text on it reads whatever lies beneath. */
    void darken(int left, int top, int width, int height);

    /* Draws every byte of `text` with dots of `dot` pixels, the top left of
       the first glyph at (left, top). */
    void text(const std::string &text, int left, int top, int dot, Rgb colour);

private:
    template <class Paint> void each_pixel(int left, int top, int width, int height, Paint paint);

    Channel_Picture &picture;
};

/* Pixels from the left of a text's first glyph to the right of its last. */
int text_width(size_t length, int dot);

#endif
