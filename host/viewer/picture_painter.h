// Painting a decoded picture into a window's area, scaled to fit it with
// the picture's shape kept and black around it, as the streaming library
// paints a pane (swscale to 32-bit pixels, copied to the window's DC).
#pragma once

#include <windows.h>

#include "bgra_picture.h"

struct AVFrame;

class Picture_Painter {
public:
    // Paints `picture` into `area` of `dc`; without a picture, or one that
    // cannot be scaled, the area is black.
    void paint(HDC dc, const RECT& area, const AVFrame* picture);

private:
    Bgra_Picture scaled;
};
