// Painting received frames into the display window, adjusted by the
// stream's four picture values.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// The four picture values; 64 is neutral for each.
struct Picture_Values {
    int brightness = 64;
    int contrast = 64;
    int saturation = 64;
    int hue = 64;
};

// Applies the values to pixels of 3 bytes (blue, green, red) in place.
void adjust_pixels(std::vector<uint8_t>& bgr, const Picture_Values& values);

// Paints a top-down BGR frame scaled into the window's client area, inside
// a margin of two pixels that the control's active-pane frame uses.  False
// when the window is gone.
bool paint_frame(HWND window, const std::vector<uint8_t>& bgr, int width, int height);
