// Sound_Player: the library's one sound.  The stream that sounds hands its
// decoded blocks over; a thread of the library plays them through the
// system's output (Wave_Out) at the volume set.  What waits to be played,
// here and in the device together, is kept under a bound: a block that
// would pass it is dropped, so the sound never falls further behind the
// picture than that, whatever the device's clock or the host's load.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>

#include <boost/thread/mutex.hpp>

#include "library_thread.h"
#include "pcm_block.h"

struct Sound_Counts {
    DWORD blocks_played = 0;
    DWORD blocks_dropped = 0;
    DWORD device_opens = 0;
    bool device_open = false;
};

class Sound_Player {
public:
    static Sound_Player& instance();

    // From now on the blocks of `source` (a stream) are played, none when
    // null.  What another source left waiting is dropped, and a stop
    // silences the device at once.  False when no thread could be started
    // to play.
    bool select(const void* source);
    // Linear: 0 is silent, 0xFFFF plays the samples as they came.
    void set_volume(WORD volume);
    // Silences `source` if it is the one selected.
    void release(const void* source);
    // A block of `source`'s sound; ignored unless `source` is selected.
    void offer(const void* source, Pcm_Block&& block);
    // Silences and closes the device and ends the thread, waiting for it at
    // most `wait_ms`; the last clean-up's.
    void shut_down(DWORD wait_ms);

    Sound_Counts counts() const;
    DWORD thread_cpu_ms() const { return cpu.spent_ms(); }

private:
    Sound_Player() = default;
    static DWORD WINAPI thread_main(void* player);
    void run(unsigned generation);
    void play(class Wave_Out& device, Pcm_Block& block, WORD gain);
    bool thread_running();

    mutable boost::mutex lock;  // guards what follows; never held for a device call
    const void* sounding = nullptr;
    WORD volume = 0xFFFF;
    std::deque<Pcm_Block> waiting;
    int64_t waiting_ms = 0;
    unsigned generation = 0;    // a thread of an earlier generation ends
    HANDLE thread = nullptr;    // set once the thread has ended
    HANDLE wake = nullptr;
    Sound_Counts totals;
    Work_Clock cpu;
};
