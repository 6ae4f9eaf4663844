#include "sound_player.h"

#include <algorithm>
#include <utility>

#include "time_left.h"
#include "wave_out.h"

namespace {

// The most playing time that may wait, handed over and in the device
// together: the sound stays within this of the picture.  Three blocks of
// 64 ms AAC, or ten RTP packets of G.711.
const int64_t ahead_limit_ms = 200;
// A device with nothing to play for this long is closed: a stream that
// went quiet, or was lost, leaves no device open.
const DWORD idle_close_ms = 1000;
// How often the thread looks at an idle device.
const DWORD idle_check_ms = 250;

// The samples at `gain` (0 to 0xFFFF, linear; 0xFFFF is unity), so a lower
// volume never clips.
void scale(std::vector<int16_t>& samples, WORD gain)
{
    if (gain == 0xFFFF)
        return;
    for (int16_t& sample : samples)
        sample = static_cast<int16_t>(static_cast<int32_t>(sample) * gain / 0xFFFF);
}

} // namespace

Sound_Player& Sound_Player::instance()
{
    static Sound_Player player;
    return player;
}

bool Sound_Player::select(const void* source)
{
    boost::mutex::scoped_lock guard(lock);
    if (source != sounding) {
        waiting.clear();
        waiting_ms = 0;
        sounding = source;
    }
    if (source && !thread_running()) {
        sounding = nullptr;
        return false;
    }
    if (wake)
        (void)SetEvent(wake);  // a valid event
    return true;
}

void Sound_Player::release(const void* source)
{
    boost::mutex::scoped_lock guard(lock);
    if (source != sounding)
        return;
    sounding = nullptr;
    waiting.clear();
    waiting_ms = 0;
    if (wake)
        (void)SetEvent(wake);  // a valid event
}

void Sound_Player::set_volume(WORD new_volume)
{
    boost::mutex::scoped_lock guard(lock);
    volume = new_volume;
}

void Sound_Player::offer(const void* source, Pcm_Block&& block)
{
    boost::mutex::scoped_lock guard(lock);
    if (!source || source != sounding || !thread)
        return;
    // The thread takes all that waits at each wake: only a block that
    // finds nothing waiting needs to wake it (under Wine each SetEvent is a
    // request to the wineserver).
    const bool thread_idle = waiting.empty();
    waiting_ms += block.duration_ms();
    waiting.push_back(std::move(block));
    // The thread is behind: the oldest blocks give way.
    while (waiting_ms > ahead_limit_ms && waiting.size() > 1) {
        waiting_ms -= waiting.front().duration_ms();
        waiting.pop_front();
        ++totals.blocks_dropped;
    }
    if (thread_idle)
        (void)SetEvent(wake);  // a valid event
}

void Sound_Player::shut_down(DWORD wait_ms)
{
    HANDLE ending;
    {
        boost::mutex::scoped_lock guard(lock);
        ++generation;
        sounding = nullptr;
        waiting.clear();
        waiting_ms = 0;
        ending = thread;
        thread = nullptr;
        if (wake)
            (void)SetEvent(wake);  // a valid event
    }
    if (!ending)
        return;
    // A thread that outlives the wait ends on its own at its next wake; it
    // keeps the library loaded until then.
    (void)WaitForSingleObject(ending, wait_ms);
    (void)CloseHandle(ending);
}

Sound_Counts Sound_Player::counts() const
{
    boost::mutex::scoped_lock guard(lock);
    return totals;
}

// Under the lock: starts the thread unless it runs.  One that ended on
// its own (it could not make its event) is started afresh.
bool Sound_Player::thread_running()
{
    if (thread && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) {
        (void)CloseHandle(thread);  // its body has returned
        thread = nullptr;
    }
    if (thread)
        return true;
    if (!wake)
        wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wake)
        return false;
    thread = start_library_thread(&Sound_Player::thread_main, this);
    return thread != nullptr;
}

DWORD WINAPI Sound_Player::thread_main(void* player)
{
    Sound_Player& self = *static_cast<Sound_Player*>(player);
    unsigned mine;
    {
        boost::mutex::scoped_lock guard(self.lock);
        mine = self.generation;
    }
    self.run(mine);
    return 0;
}

// The device belongs to this thread alone: it is opened for the format of
// the blocks that come, closed at a stop, when idle and at the end.
void Sound_Player::run(unsigned mine)
{
    cpu.start();
    HANDLE played = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!played)
        return;
    {
        Wave_Out device(played);
        DWORD last_block = GetTickCount();
        for (;;) {
            HANDLE events[] = {wake, played};
            (void)WaitForMultipleObjects(2, events, FALSE, idle_check_ms);  // a time-out is a look at the idle device
            std::deque<Pcm_Block> blocks;
            WORD gain;
            bool playing;
            {
                boost::mutex::scoped_lock guard(lock);
                if (generation != mine)
                    break;
                blocks.swap(waiting);
                waiting_ms = 0;
                gain = volume;
                playing = sounding != nullptr;
                totals.device_open = device.is_open();
            }
            device.reap();
            const DWORD now = GetTickCount();
            if (!blocks.empty())
                last_block = now;
            if (!playing || (device.queued_ms() == 0 && elapsed(now, last_block, idle_close_ms))) {
                device.close();
                continue;
            }
            for (Pcm_Block& block : blocks)
                play(device, block, gain);
        }
    }
    (void)CloseHandle(played);  // the device that set it is closed
    boost::mutex::scoped_lock guard(lock);
    totals.device_open = false;
}

// A block that would put the device further ahead than the limit is
// dropped: the device's clock runs slower than the server's, or the
// blocks came in a burst after a delay.
void Sound_Player::play(Wave_Out& device, Pcm_Block& block, WORD gain)
{
    bool opened = false;
    if (!device.is_open() || device.format() != block.format) {
        if (!device.open(block.format)) {
            boost::mutex::scoped_lock guard(lock);
            ++totals.blocks_dropped;
            return;
        }
        opened = true;
    }
    const bool room = device.queued_ms() + block.duration_ms() <= ahead_limit_ms;
    bool written = false;
    if (room) {
        scale(block.samples, gain);
        written = device.write(std::move(block.samples));
    }
    boost::mutex::scoped_lock guard(lock);
    totals.device_opens += opened ? 1 : 0;
    totals.device_open = device.is_open();
    if (written)
        ++totals.blocks_played;
    else
        ++totals.blocks_dropped;
}
