#include "picture.h"

#include <algorithm>

namespace {

const int neutral = 64;
const int frame_margin = 2;

uint8_t clamp_byte(int value)
{
    return static_cast<uint8_t>(std::min(255, std::max(0, value)));
}

// The four values as the pixel arithmetic uses them: clamped to 0..127,
// brightness as a shift, hue as a signed turn.
struct Adjustment {
    explicit Adjustment(const Picture_Values& values)
        : brightness((std::min(127, std::max(0, values.brightness)) - neutral) * 2),
          contrast(std::min(127, std::max(0, values.contrast))),
          saturation(std::min(127, std::max(0, values.saturation))),
          hue(std::min(127, std::max(0, values.hue)) - neutral)
    {
    }
    bool neutral_values() const { return brightness == 0 && contrast == neutral && saturation == neutral && hue == 0; }

    int brightness, contrast, saturation, hue;
};

// Brightness shifts, contrast stretches around mid-grey, saturation blends
// with the pixel's grey, and hue turns the colour by swapping weight between
// the channels.
void adjust_row(uint8_t* pixel, int width, const Adjustment& a)
{
    for (uint8_t* end = pixel + width * 4; pixel < end; pixel += 4) {
        int b = pixel[0], g = pixel[1], r = pixel[2];
        const int grey = (r * 30 + g * 59 + b * 11) / 100;
        r = grey + (r - grey) * a.saturation / neutral;
        g = grey + (g - grey) * a.saturation / neutral;
        b = grey + (b - grey) * a.saturation / neutral;
        if (a.hue != 0) {
            const int turned_r = r + (g - r) * a.hue / (2 * neutral);
            const int turned_g = g + (b - g) * a.hue / (2 * neutral);
            const int turned_b = b + (r - b) * a.hue / (2 * neutral);
            r = turned_r, g = turned_g, b = turned_b;
        }
        pixel[0] = clamp_byte(128 + (b - 128) * a.contrast / neutral + a.brightness);
        pixel[1] = clamp_byte(128 + (g - 128) * a.contrast / neutral + a.brightness);
        pixel[2] = clamp_byte(128 + (r - 128) * a.contrast / neutral + a.brightness);
    }
}

} // namespace

// Values outside 0..127 are clamped for painting only.
void adjust_pixels(uint8_t* rows, int width, int height, int stride, const Picture_Values& values)
{
    const Adjustment adjustment(values);
    if (adjustment.neutral_values())
        return;
    for (int y = 0; y < height; ++y)
        adjust_row(rows + static_cast<size_t>(y) * stride, width, adjustment);
}

bool Picture_Painter::paint(HWND window, const AVFrame& picture, const Picture_Values& values)
{
    RECT client;
    if (!IsWindow(window) || !GetClientRect(window, &client))
        return false;
    const int width = client.right - 2 * frame_margin;
    const int height = client.bottom - 2 * frame_margin;
    if (width <= 0 || height <= 0)
        return true;  // nothing to paint into, but the window is there
    if (!scaled.scale(picture, width, height))
        return false;
    adjust_pixels(scaled.rows(), width, height, scaled.stride(), values);
    HDC dc = GetDC(window);
    if (!dc)
        return false;
    const bool drawn = scaled.draw(dc, frame_margin, frame_margin);
    ReleaseDC(window, dc);
    return drawn;
}
