#include "bgra_picture.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

// A picture never scaled has not called FFmpeg, whose DLLs a host may load
// only when it first needs them.
Bgra_Picture::~Bgra_Picture()
{
    if (scaler)
        sws_freeContext(scaler);
}

// Blue, green, red and alpha rather than a spare byte: swscale converts to
// this layout with its SIMD code, to the other in plain C at a third the
// speed; a 32-bit bitmap without BI_BITFIELDS ignores the fourth byte.
bool Bgra_Picture::scale(const AVFrame& picture, int to_width, int to_height)
{
    scaler = sws_getCachedContext(scaler, picture.width, picture.height, static_cast<AVPixelFormat>(picture.format),
                                  to_width, to_height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler)
        return false;
    width = to_width;
    height = to_height;
    pixels.resize(static_cast<size_t>(stride()) * height);
    uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {stride(), 0, 0, 0};
    return sws_scale(scaler, picture.data, picture.linesize, 0, picture.height, planes, strides) == height;
}

bool Bgra_Picture::draw(HDC dc, int x, int y) const
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return SetDIBitsToDevice(dc, x, y, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != 0;
}
