// A decoded picture scaled to 32-bit pixels and copied to a device context.
// The pixels are blue, green, red and alpha, the layout of a 32-bit display,
// so the copy does not convert.  Shared by the library's panes and the
// viewer's player, which compiles this file in.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

class Bgra_Picture {
public:
    Bgra_Picture() = default;
    ~Bgra_Picture();
    Bgra_Picture(const Bgra_Picture&) = delete;
    Bgra_Picture& operator=(const Bgra_Picture&) = delete;

    // Scales `picture` to `width` x `height`; the scaler is kept between
    // pictures.  False when the picture's format cannot be scaled.
    bool scale(const AVFrame& picture, int width, int height);
    uint8_t* rows() { return pixels.data(); }
    int stride() const { return width * 4; }
    // Copies the scaled picture to `dc` with its top left at x, y; false
    // when nothing reached the device.
    bool draw(HDC dc, int x, int y) const;

private:
    SwsContext* scaler = nullptr;
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
};
