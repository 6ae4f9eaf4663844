#include "picture.h"

#include <algorithm>

namespace {

const int neutral = 64;
const int frame_margin = 2;

uint8_t clamp_byte(int value)
{
    return static_cast<uint8_t>(std::min(255, std::max(0, value)));
}

} // namespace

// Brightness shifts, contrast stretches around mid-grey, saturation blends
// with the pixel's grey, and hue turns the colour by swapping weight between
// the channels.  Values outside 0..127 are clamped for painting only.
void adjust_pixels(std::vector<uint8_t>& bgr, const Picture_Values& values)
{
    const int brightness = (std::min(127, std::max(0, values.brightness)) - neutral) * 2;
    const int contrast = std::min(127, std::max(0, values.contrast));
    const int saturation = std::min(127, std::max(0, values.saturation));
    const int hue = std::min(127, std::max(0, values.hue)) - neutral;
    if (brightness == 0 && contrast == neutral && saturation == neutral && hue == 0)
        return;
    for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
        int b = bgr[i], g = bgr[i + 1], r = bgr[i + 2];
        const int grey = (r * 30 + g * 59 + b * 11) / 100;
        r = grey + (r - grey) * saturation / neutral;
        g = grey + (g - grey) * saturation / neutral;
        b = grey + (b - grey) * saturation / neutral;
        if (hue != 0) {
            const int turned_r = r + (g - r) * hue / (2 * neutral);
            const int turned_g = g + (b - g) * hue / (2 * neutral);
            const int turned_b = b + (r - b) * hue / (2 * neutral);
            r = turned_r, g = turned_g, b = turned_b;
        }
        r = 128 + (r - 128) * contrast / neutral + brightness;
        g = 128 + (g - 128) * contrast / neutral + brightness;
        b = 128 + (b - 128) * contrast / neutral + brightness;
        bgr[i] = clamp_byte(b);
        bgr[i + 1] = clamp_byte(g);
        bgr[i + 2] = clamp_byte(r);
    }
}

namespace {

// Device-independent bitmaps want every row padded to four bytes.
std::vector<uint8_t> padded_rows(const std::vector<uint8_t>& bgr, int width, int height)
{
    const size_t row = static_cast<size_t>(width) * 3;
    const size_t stride = (row + 3) & ~static_cast<size_t>(3);
    std::vector<uint8_t> padded(stride * height);
    for (int y = 0; y < height; ++y)
        std::copy(bgr.begin() + y * row, bgr.begin() + (y + 1) * row, padded.begin() + y * stride);
    return padded;
}

} // namespace

bool paint_frame(HWND window, const std::vector<uint8_t>& bgr, int width, int height)
{
    RECT client;
    if (!IsWindow(window) || !GetClientRect(window, &client))
        return false;
    const int target_width = client.right - 2 * frame_margin;
    const int target_height = client.bottom - 2 * frame_margin;
    if (target_width <= 0 || target_height <= 0)
        return true;  // nothing to paint into, but the window is there
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const bool aligned = (width * 3) % 4 == 0;
    const std::vector<uint8_t> rows = aligned ? std::vector<uint8_t>() : padded_rows(bgr, width, height);
    HDC dc = GetDC(window);
    if (!dc)
        return false;
    (void)SetStretchBltMode(dc, COLORONCOLOR);
    const int lines = StretchDIBits(dc, frame_margin, frame_margin, target_width, target_height,
                                    0, 0, width, height, aligned ? bgr.data() : rows.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(window, dc);
    return lines != 0;
}
