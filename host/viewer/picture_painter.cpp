#include "picture_painter.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {

// The largest rectangle of the picture's shape centred in `area`; a pixel
// that is not square (the sample aspect ratio) counts at its shown width.
RECT fitted(const RECT& area, const AVFrame& picture)
{
    const int area_width = area.right - area.left, area_height = area.bottom - area.top;
    int64_t shown_width = picture.width, shown_height = picture.height;
    if (picture.sample_aspect_ratio.num > 0 && picture.sample_aspect_ratio.den > 0) {
        shown_width *= picture.sample_aspect_ratio.num;
        shown_height *= picture.sample_aspect_ratio.den;
    }
    int width = area_width, height = area_height;
    if (shown_width * area_height > shown_height * area_width)
        height = static_cast<int>(shown_height * area_width / shown_width);
    else
        width = static_cast<int>(shown_width * area_height / shown_height);
    const int left = area.left + (area_width - width) / 2, top = area.top + (area_height - height) / 2;
    return RECT{left, top, left + width, top + height};
}

// The parts of `area` around `inside` painted black.
void paint_border(HDC dc, const RECT& area, const RECT& inside)
{
    const RECT parts[] = {{area.left, area.top, area.right, inside.top},
                          {area.left, inside.bottom, area.right, area.bottom},
                          {area.left, inside.top, inside.left, inside.bottom},
                          {inside.right, inside.top, area.right, inside.bottom}};
    for (const RECT& part : parts)
        if (part.right > part.left && part.bottom > part.top)
            (void)FillRect(dc, &part, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));  // only looks
}

} // namespace

void Picture_Painter::paint(HDC dc, const RECT& area, const AVFrame* picture)
{
    const bool has_picture = picture && picture->width > 0 && picture->height > 0;
    const RECT place = has_picture ? fitted(area, *picture) : RECT{area.left, area.top, area.left, area.top};
    const int width = place.right - place.left, height = place.bottom - place.top;
    if (width <= 0 || height <= 0 || !scaled.scale(*picture, width, height)) {
        paint_border(dc, area, RECT{area.left, area.top, area.left, area.top});
        return;
    }
    // A picture that does not reach the screen shows at the next paint.
    (void)scaled.draw(dc, place.left, place.top);
    paint_border(dc, area, place);
}
