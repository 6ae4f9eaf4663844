// Painting a decoded picture into a window's area, scaled to fit it with
// the picture's shape kept and black around it, as the streaming library
// paints a pane (swscale to 32-bit pixels, copied to the window's DC).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

class Picture_Painter {
public:
    Picture_Painter() = default;
    ~Picture_Painter();
    Picture_Painter(const Picture_Painter&) = delete;
    Picture_Painter& operator=(const Picture_Painter&) = delete;

    // Paints `picture` into `area` of `dc`; without a picture, or one that
    // cannot be scaled, the area is black.
    void paint(HDC dc, const RECT& area, const AVFrame* picture);

private:
    bool scale(const AVFrame& picture, int width, int height);

    SwsContext* scaler = nullptr;
    std::vector<uint8_t> pixels;  // the scaled picture: blue, green, red and a spare byte a pixel
};
