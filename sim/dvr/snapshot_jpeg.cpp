/*
 * snapshot_jpeg.cpp: draws the channel number into a small picture and
 * compresses it with libjpeg.  The digits come from a 5 x 7 dot font of our
 * own, each dot drawn as a square block.
 */

#include "snapshot_jpeg.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

const int width = 176;
const int height = 144;
const int dot = 6; /* pixels per font dot */

/* Rows of the digits 0 to 9, five dots wide, top row first. */
const unsigned char font[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};

struct Picture
{
    std::vector<unsigned char> rgb = std::vector<unsigned char>(width * height * 3);

    void set(int x, int y, unsigned char r, unsigned char g, unsigned char b)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        unsigned char *p = &rgb[(y * width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }

    void background(int channel)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                set(x, y, static_cast<unsigned char>((channel * 37) & 0x3F),
                    static_cast<unsigned char>(32 + y / 3), static_cast<unsigned char>(96 + x / 4));
    }

    void digit(int value, int left, int top)
    {
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if (font[value][row] & (0x10 >> column))
                    for (int dy = 0; dy < dot; ++dy)
                        for (int dx = 0; dx < dot; ++dx)
                            set(left + column * dot + dx, top + row * dot + dy, 255, 255, 255);
    }

    void number(int value)
    {
        char text[16];
        const int length = std::snprintf(text, sizeof text, "%d", value < 0 ? -value : value);
        const int advance = 6 * dot;
        int left = (width - length * advance + dot) / 2;
        const int top = (height - 7 * dot) / 2;
        for (int i = 0; i < length; ++i, left += advance)
            digit(text[i] - '0', left, top);
    }
};

std::string compress(const Picture &picture)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 80, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char *>(&picture.rgb[info.next_scanline * width * 3]);
        (void)jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string jpeg(reinterpret_cast<const char *>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return jpeg;
}

/* Inserts comment segments after the start-of-image marker until the
   picture is pad_to bytes long.  A segment takes 4 to 65537 bytes (marker,
   length, up to 65533 bytes of text). */
void pad(std::string &jpeg, size_t pad_to)
{
    std::string comments;
    size_t missing = pad_to - jpeg.size();
    while (missing >= 4) {
        size_t segment = missing > 65537 ? 65537 : missing;
        if (missing > segment && missing - segment < 4)
            segment = missing - 4; /* leave room for a last, short segment */
        const size_t text = segment - 4;
        comments += "\xFF\xFE";
        comments += static_cast<char>((text + 2) >> 8);
        comments += static_cast<char>((text + 2) & 0xFF);
        comments.append(text, 'k');
        missing -= segment;
    }
    jpeg.insert(2, comments);
}

} // namespace

std::string snapshot_jpeg(int channel, size_t pad_to)
{
    Picture picture;
    picture.background(channel);
    picture.number(channel);
    std::string jpeg = compress(picture);
    if (pad_to >= jpeg.size() + 4)
        pad(jpeg, pad_to);
    return jpeg;
}
