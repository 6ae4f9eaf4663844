/*
 * camera_scene.cpp: the scene is worked out in world units (tenths of a
 * degree): each column and each row of the picture is mapped to its world
 * coordinate and cell once, and each pixel then costs a few comparisons.
 */

#include "camera_scene.h"

#include <cstdint>
#include <vector>

namespace {

const int cell = 150;       /* 15 degrees */
const int rule = 8;         /* width of the grid lines */
const int view_across = 900; /* 90 degrees at zoom 100 */

/* Colours of the figures, chosen by cell so that neighbours differ. */
const uint8_t figures[5][3] = {
    {250, 70, 60}, {255, 230, 80}, {90, 220, 120}, {70, 200, 250}, {200, 110, 250},
};

/* The quotient rounded down, so that the mapping has no seam at zero. */
int64_t floor_div(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

/* A world coordinate split into its cell and its place inside the cell,
   with what the figure test needs of it worked out once per column or row. */
struct Cell_Place
{
    int world;
    int index;   /* the cell */
    bool ruled;  /* on a grid line */
    int across;  /* distance from the cell's middle */
    int squared; /* that distance squared */
};

Cell_Place place(int64_t world)
{
    const int64_t index = floor_div(world, cell);
    const int from_middle = static_cast<int>(world - index * cell) - cell / 2;
    return {static_cast<int>(world), static_cast<int>(index), from_middle < rule - cell / 2,
            from_middle < 0 ? -from_middle : from_middle, from_middle * from_middle};
}

/* The world coordinate of each pixel along one axis of `pixels`, whose
   middle shows `centre`; `scale_pixels` pixels span view_across*100/zoom. */
std::vector<Cell_Place> axis_places(int pixels, int scale_pixels, int centre, int zoom, bool wraps)
{
    std::vector<Cell_Place> places(static_cast<size_t>(pixels));
    const int64_t span = int64_t(view_across) * 100 / zoom;
    for (int i = 0; i < pixels; ++i) {
        int64_t world = centre + floor_div((int64_t(2) * i + 1 - pixels) * span, int64_t(2) * scale_pixels);
        if (wraps)
            world -= floor_div(world, ptz_full_turn) * ptz_full_turn;
        places[static_cast<size_t>(i)] = place(world);
    }
    return places;
}

/* The background darkens from the sky down to the ground: green 120 at 90
   degrees up, 40 at 90 degrees down. */
uint8_t ground_green(int world_y)
{
    const int clamped = world_y < -900 ? -900 : world_y > 900 ? 900 : world_y;
    return static_cast<uint8_t>(80 - clamped * 40 / 900);
}

/* Discs in the cells whose column and row add up even, diamonds in the others. */
bool in_figure(const Cell_Place &x, const Cell_Place &y)
{
    if (((x.index + y.index) & 1) == 0)
        return x.squared + y.squared < 36 * 36;
    return x.across + y.across < 44;
}

} // namespace

void draw_camera_scene(Channel_Picture &picture, int channel, const Ptz_Position &view)
{
    const int width = picture.width, height = picture.height;
    const int zoom = view.zoom > 0 ? view.zoom : 100;
    const std::vector<Cell_Place> columns = axis_places(width, width, view.pan, zoom, true);
    /* Rows use the columns' scale, and a tilt up moves the scene down. */
    const std::vector<Cell_Place> rows = axis_places(height, width, -view.tilt, zoom, false);
    const uint8_t tint = static_cast<uint8_t>((channel * 53) & 0xFF);
    uint8_t *p = picture.rgb.data();
    for (int y = 0; y < height; ++y) {
        const Cell_Place &row = rows[static_cast<size_t>(y)];
        const uint8_t background[3] = {tint, ground_green(row.world), static_cast<uint8_t>(160 - tint / 2)};
        for (int x = 0; x < width; ++x, p += 3) {
            const Cell_Place &column = columns[static_cast<size_t>(x)];
            const bool ruled = column.ruled || row.ruled;
            const uint8_t *colour = background;
            if (!ruled && in_figure(column, row))
                colour = figures[((column.index + 2 * row.index) % 5 + 5) % 5];
            const int shade = ruled ? 1 : 0; /* grid lines at half the background */
            p[0] = static_cast<uint8_t>(colour[0] >> shade);
            p[1] = static_cast<uint8_t>(colour[1] >> shade);
            p[2] = static_cast<uint8_t>(colour[2] >> shade);
        }
    }
}
