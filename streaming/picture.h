// Painting decoded pictures into the display window: scaled to the
// window's client area and adjusted by the stream's four picture values.
#pragma once

#include <windows.h>

#include <cstdint>

#include "bgra_picture.h"

struct AVFrame;

// The four picture values; 64 is neutral for each.
struct Picture_Values {
    int brightness = 64;
    int contrast = 64;
    int saturation = 64;
    int hue = 64;
};

// Applies the values in place to `height` rows of `width` pixels of 4
// bytes (blue, green, red, unused), `stride` bytes apart.
void adjust_pixels(uint8_t* rows, int width, int height, int stride, const Picture_Values& values);

// One stream's painter; it keeps its scaler and pixels between pictures.
// Used by one thread at a time.
class Picture_Painter {
public:
    // Paints `picture` into the window's client area, inside a margin of
    // two pixels that the control's active-pane frame uses.  False when the
    // window is gone or the picture cannot be scaled.
    bool paint(HWND window, const AVFrame& picture, const Picture_Values& values);

private:
    Bgra_Picture scaled;
};
