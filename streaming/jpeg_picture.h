// A decoded picture saved as a JPEG of its own size, with FFmpeg's MJPEG
// encoder: what a snapshot of a stream without a snapshot service is.
#pragma once

#include <cstdint>
#include <vector>

struct AVFrame;

// `picture` (of any pixel format the scaler reads) as a JPEG in `jpeg`;
// false when it cannot be converted or encoded.
bool encode_jpeg(const AVFrame& picture, std::vector<uint8_t>* jpeg);
