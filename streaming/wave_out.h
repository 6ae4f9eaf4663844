// Wave_Out: the system's sound output (waveOut) for one format, and the
// blocks written to it that are still playing.  Every call returns at
// once: the device plays on its own and sets the event given at
// construction each time a block has played.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <deque>
#include <memory>
#include <vector>

#include "pcm_block.h"

class Wave_Out {
public:
    explicit Wave_Out(HANDLE played) : played(played) {}
    ~Wave_Out() { close(); }
    Wave_Out(const Wave_Out&) = delete;
    Wave_Out& operator=(const Wave_Out&) = delete;

    // Opens the default output for `format`, closing what was open; false
    // when the system has no output that takes it.
    bool open(const Pcm_Format& format);
    // Stops what is playing at once and closes the device.
    void close();
    bool is_open() const { return device != nullptr; }
    const Pcm_Format& format() const { return open_format; }

    // Queues samples of the open format behind those still playing; false
    // when the device refused them.
    bool write(std::vector<int16_t>&& samples);
    // Frees the blocks that have played.
    void reap();
    // The playing time still queued, in milliseconds.
    int64_t queued_ms() const;

private:
    struct Queued {
        WAVEHDR header = {};
        std::vector<int16_t> samples;
    };

    HANDLE played;
    HWAVEOUT device = nullptr;
    Pcm_Format open_format;
    std::deque<std::unique_ptr<Queued>> queued;  // in playing order
    int64_t queued_frames = 0;
};
