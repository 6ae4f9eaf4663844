// Reads a recording back with libavformat, as a player would, and sums up
// its video: codec, size, pictures, duration, and whether every packet
// decodes.
#pragma once

#include <cstdint>
#include <string>

struct Recording_Summary {
    bool valid = false;      // opened, a video track, every packet decoded
    uint32_t channel = 0;    // from the title "Channel N"
    std::string codec;       // libavcodec's name: "h264", "hevc", "mjpeg"
    std::string audio_codec; // likewise for the sound track; empty without one
    int width = 0;
    int height = 0;
    size_t frames = 0;
    bool starts_with_key_frame = false;
    double seconds = 0;      // from the first picture's time to the last's
    std::string problem;     // why it is not valid
};

Recording_Summary read_recording(const std::string& path);
