// Native checks of dvr-sim's channel pictures: the on-screen display lands
// where its logo origin puts it and nowhere else, the dot font tells its
// glyphs apart, the camera's moves shift the scene until a stop, and the
// stream's I420 has the standard colours however much of it is reused.

#include "camera_scene.h"
#include "channel_picture.h"
#include "dot_font.h"
#include "i420_picture.h"
#include "ptz_motion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

const int width = 160; /* the stream's default size */
const int height = 120;
const std::time_t when = 1700000000; /* 2023-11-14 22:13:20 UTC */

Channel_Picture picture_with(const Osd_Settings &osd)
{
    Picture_Content content;
    content.channel = 3;
    content.now = when;
    content.frame = 5;
    content.osd = osd;
    return draw_channel_picture(content, width, height);
}

const uint8_t *pixel(const Channel_Picture &picture, int x, int y)
{
    return &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
}

bool white(const Channel_Picture &picture, int x, int y)
{
    const uint8_t *p = pixel(picture, x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

/* The smallest rectangle holding every pixel that differs (right and bottom
   exclusive); all zero when none does. */
struct Box
{
    int left, top, right, bottom;
};

Box changed(const Channel_Picture &a, const Channel_Picture &b)
{
    Box box{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (std::memcmp(pixel(a, x, y), pixel(b, x, y), 3) != 0)
                box = Box{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                          std::max(box.bottom, y + 1)};
    return box.right == 0 ? Box{0, 0, 0, 0} : box;
}

int white_pixels(const Channel_Picture &picture, const Box &box)
{
    int count = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            count += white(picture, x, y);
    return count;
}

} // namespace

// The display is one dot (one pixel at this height) of margin round lines
// of 5 x 7 glyphs, 6 pixels apart: "KELM osd" makes a block 49 x 9.
TEST(DvrPicture, OsdLandsAtItsScaledOriginAndNowhereElse)
{
    const std::string long_text(1000, 'W');
    const struct
    {
        const char *what;
        Osd_Settings osd;
        Box block;
    } cases[] = {
        {"top left corner", {"KELM osd", false, false, 0, 0}, {0, 0, 49, 9}},
        {"top right corner, shifted in", {"KELM osd", false, false, 250, 0}, {111, 0, 160, 9}},
        {"bottom left corner", {"KELM osd", false, false, 0, 450}, {0, 108, 49, 117}},
        {"bottom right corner", {"KELM osd", false, false, 250, 450}, {111, 108, 160, 117}},
        {"middle of the logo space", {"KELM osd", false, false, 150, 250}, {80, 60, 129, 69}},
        {"origin far outside", {"KELM osd", false, false, 2000000000, 2000000000}, {111, 111, 160, 120}},
        {"negative origin", {"KELM osd", false, false, -50, -50}, {0, 0, 49, 9}},
        {"text wider than the picture", {long_text, false, false, 250, 0}, {0, 0, 160, 9}},
        {"date and time alone", {"", true, true, 0, 0}, {0, 0, 115, 9}},
        {"text above the date", {"KELM osd", true, false, 250, 450}, {99, 103, 160, 120}},
    };
    const Channel_Picture plain = picture_with(Osd_Settings{});
    for (const auto &c : cases) {
        const Channel_Picture shown = picture_with(c.osd);
        const Box box = changed(plain, shown);
        EXPECT_EQ(c.block.left, box.left) << c.what;
        EXPECT_EQ(c.block.top, box.top) << c.what;
        EXPECT_EQ(c.block.right, box.right) << c.what;
        EXPECT_EQ(c.block.bottom, box.bottom) << c.what;
        EXPECT_GT(white_pixels(shown, box), 20) << c.what;
    }
}

TEST(DvrPicture, ByteOutsideAsciiShowsAsFilledBox)
{
    const Channel_Picture shown = picture_with(Osd_Settings{"\xD6", false, false, 0, 0});
    /* The glyph's top left dot is at (1, 1); the box fills its rows 2 to 6. */
    for (int y = 1; y < 8; ++y)
        for (int x = 1; x < 6; ++x)
            EXPECT_EQ(y >= 3, white(shown, x, y)) << "dot " << x << "," << y;
}

TEST(DvrPicture, EveryPrintableGlyphDiffersFromTheOthersAndFromTheBox)
{
    const unsigned char *box = dot_glyph(0x80);
    for (int c = 0x21; c <= 0x7E; ++c) {
        EXPECT_NE(0, std::memcmp(dot_glyph(static_cast<unsigned char>(c)), box, glyph_rows)) << char(c);
        for (int d = 0x20; d < c; ++d)
            EXPECT_NE(0, std::memcmp(dot_glyph(static_cast<unsigned char>(c)), dot_glyph(static_cast<unsigned char>(d)),
                                     glyph_rows))
                << char(c) << " and " << char(d);
    }
}

// A move from rest at (0, 0, 100), one second later: pans turn 30 degrees
// (left wraps below 0), tilts 20, zooms 50 percent (wider than 100 stops).
TEST(DvrPtz, MoveChangesItsAxisAtItsRate)
{
    const struct
    {
        int command;
        int pan, tilt, zoom;
    } cases[] = {
        {ptz_left, 3300, 0, 100}, {ptz_right, 300, 0, 100}, {ptz_up, 0, 200, 100}, {ptz_down, 0, -200, 100},
        {ptz_tele, 0, 0, 150},    {ptz_wide, 0, 0, 100},    {ptz_near, 0, 0, 150}, {ptz_far, 0, 0, 100},
    };
    for (const auto &c : cases) {
        Ptz_Motion motion;
        motion.command(c.command, 5000);
        const Ptz_Position now = motion.at(6000);
        EXPECT_EQ(c.pan, now.pan) << "command " << c.command;
        EXPECT_EQ(c.tilt, now.tilt) << "command " << c.command;
        EXPECT_EQ(c.zoom, now.zoom) << "command " << c.command;
        EXPECT_EQ(c.command, motion.moving());
    }
}

TEST(DvrPtz, StopHaltsTheMoveAndOtherCommandsDoNot)
{
    const struct
    {
        int command;
        int pan_later;
        int moving;
    } cases[] = {{ptz_stop, 150, 0}, {ptz_none, 150, 0}, {15 /* iris: not a move */, 900, ptz_right}};
    for (const auto &c : cases) {
        Ptz_Motion motion;
        motion.command(ptz_right, 0);
        motion.command(c.command, 500);
        EXPECT_EQ(150, motion.at(500).pan) << "command " << c.command;
        EXPECT_EQ(c.pan_later, motion.at(3000).pan) << "command " << c.command;
        EXPECT_EQ(c.moving, motion.moving()) << "command " << c.command;
    }
}

TEST(DvrPtz, MoveLeftRunningStaysInRange)
{
    const int64_t ages = int64_t(1) << 50; /* milliseconds: far beyond any run */
    for (const int command : {ptz_left, ptz_right, ptz_up, ptz_down, ptz_tele, ptz_wide}) {
        Ptz_Motion motion;
        motion.command(command, 0);
        const Ptz_Position now = motion.at(ages);
        EXPECT_TRUE(now.pan >= 0 && now.pan < ptz_full_turn) << now.pan;
        EXPECT_TRUE(now.tilt >= -ptz_tilt_limit && now.tilt <= ptz_tilt_limit) << now.tilt;
        EXPECT_TRUE(now.zoom >= ptz_zoom_min && now.zoom <= ptz_zoom_max) << now.zoom;
    }
}

// At zoom 100 the 160 pixels span 90 degrees: 45 degrees is 80 pixels.  The
// pan left crosses the seam where the full turn wraps.
TEST(DvrScene, PanAndTiltShiftTheScene)
{
    const struct
    {
        const char *what;
        Ptz_Position view;
        int dx, dy; /* where a feature seen at rest moves to */
    } cases[] = {
        {"pan right", {450, 0, 100}, -80, 0}, {"pan left", {3150, 0, 100}, 80, 0},
        {"tilt up", {0, 450, 100}, 0, 80},    {"tilt down", {0, -450, 100}, 0, -80},
    };
    Channel_Picture rest{width, height, std::vector<uint8_t>(width * height * 3)};
    draw_camera_scene(rest, 3, Ptz_Position{});
    for (const auto &c : cases) {
        Channel_Picture moved = rest;
        draw_camera_scene(moved, 3, c.view);
        int differing = 0;
        for (int y = std::max(0, c.dy); y < std::min(height, height + c.dy); ++y)
            for (int x = std::max(0, c.dx); x < std::min(width, width + c.dx); ++x)
                differing += std::memcmp(pixel(moved, x, y), pixel(rest, x - c.dx, y - c.dy), 3) != 0;
        EXPECT_EQ(0, differing) << c.what;
    }
}

TEST(DvrScene, PanMovesThePictureUntilStopped)
{
    Ptz_Motion motion;
    Picture_Content content;
    content.now = when;
    motion.command(ptz_right, 0);
    content.view = motion.at(0);
    const Channel_Picture start = draw_channel_picture(content, width, height);
    content.view = motion.at(400);
    const Channel_Picture panned = draw_channel_picture(content, width, height);
    EXPECT_NE(start.rgb, panned.rgb);

    motion.command(ptz_stop, 400);
    content.view = motion.at(60000);
    EXPECT_EQ(panned.rgb, draw_channel_picture(content, width, height).rgb);
}

// BT.601 studio range, as decoders expect it: each colour sample is the mean
// of its two-by-two block, here all alike.
TEST(DvrI420, ColoursHaveTheirStudioRangeValues)
{
    const struct
    {
        const char *what;
        Rgb rgb;
        int y, u, v;
    } cases[] = {
        {"black", {0, 0, 0}, 16, 128, 128},  {"white", {255, 255, 255}, 235, 128, 128},
        {"red", {255, 0, 0}, 82, 90, 240},   {"blue", {0, 0, 255}, 41, 240, 110},
    };
    for (const auto &c : cases) {
        Channel_Picture picture{4, 2, std::vector<uint8_t>(4 * 2 * 3)};
        Canvas(picture).fill(0, 0, 4, 2, c.rgb);
        std::vector<uint8_t> i420(i420_size(4, 2));
        to_i420(picture, i420.data());
        const std::vector<uint8_t> expected = {uint8_t(c.y), uint8_t(c.y), uint8_t(c.y), uint8_t(c.y),
                                               uint8_t(c.y), uint8_t(c.y), uint8_t(c.y), uint8_t(c.y),
                                               uint8_t(c.u), uint8_t(c.u), uint8_t(c.v), uint8_t(c.v)};
        EXPECT_EQ(expected, i420) << c.what;
    }
}

// Rows taken over from the picture before give the bytes a whole conversion
// gives, whichever row differs (the first, one in the middle, the last, or
// none), and a picture before of another size is not taken from at all.
TEST(DvrI420, ReusedRowsMatchAWholeConversion)
{
    Picture_Content content;
    content.now = when;
    const Channel_Picture before = draw_channel_picture(content, width, height);
    std::vector<uint8_t> before_i420(i420_size(width, height));
    to_i420(before, before_i420.data());
    const Channel_Picture other_size = draw_channel_picture(content, width, height - 2);
    const struct
    {
        int changed_row; /* -1: none */
        const Channel_Picture &before;
    } cases[] = {{-1, before}, {0, before}, {height / 2 + 1, before}, {height - 1, before}, {0, other_size}};
    for (const auto &c : cases) {
        Channel_Picture picture = before;
        if (c.changed_row >= 0)
            picture.rgb[(static_cast<size_t>(c.changed_row) * width + 7) * 3] ^= 0xFF;
        std::vector<uint8_t> whole(i420_size(width, height)), reusing(whole.size());
        to_i420(picture, whole.data());
        to_i420(picture, reusing.data(), &c.before, before_i420.data());
        EXPECT_EQ(whole, reusing) << "row " << c.changed_row << ", before " << c.before.height << " high";
    }
}
