// The echo's queue and its writer thread.  Only a pipe can hold a write
// for good; a file or a console is written at once, and a host without
// standard error is not written at all.  The writer holds kelm.dll while
// it runs and ends after a while without entries, so that the module can
// be unloaded.
#include "stderr_echo.h"

#include <io.h>

#include <string>

#include "detached_thread.h"
#include "time_left.h"

namespace {

const int stderr_descriptor = 2;
const DWORD writer_idle_ms = 5000;

struct Echo {
    Echo()
    {
        InitializeCriticalSection(&lock);
        InitializeConditionVariable(&changed);
    }
    // Runs at exit or unload, when no writer is left: a running writer
    // holds the module.
    ~Echo();
    Echo(const Echo&) = delete;
    Echo& operator=(const Echo&) = delete;

    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;  // entries queued, or a write finished
    std::string queued;
    unsigned long long queued_end = 0;   // bytes ever queued
    unsigned long long written_end = 0;  // bytes ever written (or lost)
    bool writer_running = false;
    bool writing = false;
    DWORD writing_since = 0;
};

// Set once the state is gone (process exit or unload): what is logged
// after that is written at once.
bool echo_closed = false;

Echo::~Echo()
{
    echo_closed = true;
    DeleteCriticalSection(&lock);
}

Echo& echo()
{
    static Echo instance;
    return instance;
}

enum class Stream_Kind { none, direct, pipe };

// Read for every entry: a host may point standard error elsewhere at any
// time.
Stream_Kind stderr_kind()
{
    const intptr_t handle = _get_osfhandle(stderr_descriptor);
    if (handle == -1 || handle == -2)  // no handle, or none in a host without a console
        return Stream_Kind::none;
    return GetFileType(reinterpret_cast<HANDLE>(handle)) == FILE_TYPE_PIPE ? Stream_Kind::pipe : Stream_Kind::direct;
}

// How long a caller that queued at `started` may still wait: its own
// bound, and no longer than until the write under way has taken that long
// (a write that has, is stuck behind a reader that does not read).
DWORD wait_left(const Echo& state, DWORD started)
{
    const DWORD now = GetTickCount();
    const DWORD own = time_left(echo_wait_ms, started, now);
    if (!state.writing)
        return own;
    const DWORD writer = time_left(echo_wait_ms, state.writing_since, now);
    return own < writer ? own : writer;
}

// A failed write loses its bytes; there is nowhere to report it.
void write_all(const char* bytes, size_t length)
{
    for (size_t done = 0; done < length;) {
        const int wrote = _write(stderr_descriptor, bytes + done, static_cast<unsigned>(length - done));
        if (wrote <= 0)
            return;
        done += static_cast<size_t>(wrote);
    }
}

void writer_main(void*)
{
    Echo& state = echo();
    EnterCriticalSection(&state.lock);
    for (;;) {
        if (state.queued.empty())
            (void)SleepConditionVariableCS(&state.changed, &state.lock, writer_idle_ms);  // woken or idle
        if (state.queued.empty()) {
            state.writer_running = false;
            break;
        }
        std::string batch;
        batch.swap(state.queued);
        state.writing = true;
        state.writing_since = GetTickCount();
        LeaveCriticalSection(&state.lock);
        write_all(batch.data(), batch.size());
        EnterCriticalSection(&state.lock);
        state.writing = false;
        state.written_end += batch.size();
        WakeAllConditionVariable(&state.changed);
    }
    LeaveCriticalSection(&state.lock);
}

} // namespace

void echo_to_stderr(const char* bytes, int length)
{
    if (length <= 0)
        return;
    const Stream_Kind kind = stderr_kind();
    if (kind == Stream_Kind::none)
        return;
    if (kind == Stream_Kind::direct || echo_closed) {
        write_all(bytes, static_cast<size_t>(length));
        return;
    }
    Echo& state = echo();
    EnterCriticalSection(&state.lock);
    const bool room = state.queued.size() + static_cast<size_t>(length) <= echo_queue_bytes;
    if (room && !state.writer_running)
        state.writer_running = start_detached_thread(writer_main, nullptr);
    if (!room || !state.writer_running) {
        LeaveCriticalSection(&state.lock);
        return;  // lost, as a failed write would lose it
    }
    try {
        state.queued.append(bytes, static_cast<size_t>(length));
    } catch (...) {
        LeaveCriticalSection(&state.lock);
        return;  // no memory for the entry: lost
    }
    state.queued_end += static_cast<size_t>(length);
    const unsigned long long mine = state.queued_end;
    WakeAllConditionVariable(&state.changed);
    // The entry is on the stream when this returns, unless the pipe stays
    // full: then nobody waits until the writer is through again.
    const DWORD started = GetTickCount();
    while (state.written_end < mine) {
        const DWORD left = wait_left(state, started);
        if (left == 0 || !SleepConditionVariableCS(&state.changed, &state.lock, left))
            break;
    }
    LeaveCriticalSection(&state.lock);
}
