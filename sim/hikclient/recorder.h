// Recorder: writes the frames a stream receives into a recording file
// (the format of stream_protocol.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "stream_protocol.h"

class Recorder {
public:
    Recorder() = default;
    ~Recorder() { close(); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Creates (or replaces) the file and writes its header; false when the
    // file cannot be created.  A recording already running is closed first.
    bool open(const char* path, uint32_t channel);
    // Appends one frame; a failed write ends the recording.
    void write(const Stream_Frame_Header& header, const std::vector<uint8_t>& payload);
    // True when a recording was running.
    bool close();
    bool is_open() const { return file != INVALID_HANDLE_VALUE; }

private:
    bool write_bytes(const void* data, DWORD size);

    HANDLE file = INVALID_HANDLE_VALUE;
};
