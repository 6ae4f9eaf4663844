// Reads a recording file of the streaming library and checks its frames.
#pragma once

#include <cstdint>
#include <string>

struct Recording_Summary {
    bool valid = false;      // header and every frame read back whole
    uint32_t channel = 0;
    size_t frames = 0;
    uint32_t first_sequence = 0;
    uint32_t last_sequence = 0;
    std::string problem;     // why it is not valid
};

Recording_Summary read_recording(const std::string& bytes);
