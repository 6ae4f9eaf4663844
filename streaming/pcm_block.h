// Pcm_Block: decoded sound as the library plays it: 16-bit samples,
// interleaved, one or two channels, at the track's own rate.
#pragma once

#include <cstdint>
#include <vector>

struct Pcm_Format {
    int rate = 0;      // samples a second, per channel
    int channels = 0;  // 1 or 2

    bool operator==(const Pcm_Format& other) const { return rate == other.rate && channels == other.channels; }
    bool operator!=(const Pcm_Format& other) const { return !(*this == other); }
};

struct Pcm_Block {
    Pcm_Format format;
    std::vector<int16_t> samples;

    // The block's length in milliseconds of playing time.
    int64_t duration_ms() const
    {
        const int64_t frames = format.channels > 0 ? static_cast<int64_t>(samples.size()) / format.channels : 0;
        return format.rate > 0 ? frames * 1000 / format.rate : 0;
    }
};
