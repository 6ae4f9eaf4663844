// Threads of hikclient.dll.  Each keeps the DLL loaded for as long as it
// runs: a host that unloads the library while a stream or a recording is
// still winding down must not have code pulled out from under a running
// thread.
//
// A thread whose work has ended waits a while for the next before it ends.
// Under Wine a new thread takes milliseconds to reach its first instruction
// (every loaded DLL is told of it first) while a waiting one wakes in a
// tenth of one, and a stream's first frame waits for its thread.
#pragma once

#include <windows.h>

#include <atomic>

// Runs body(context) on a thread of the library: a waiting one when there
// is one, a new one otherwise.  Returns an event that is set once body has
// returned, or null when no thread could take the work.  The caller waits
// on the event and closes it, as it would a thread's handle; it may close
// it at any time, even while body runs.
HANDLE start_library_thread(DWORD(WINAPI* body)(void*), void* context);

// The CPU time a thread of the library spends on one piece of work: the
// thread starts the clock when the work begins (it may have run other work
// before), and any thread reads it while the work runs.
class Work_Clock {
public:
    Work_Clock() = default;
    ~Work_Clock();
    Work_Clock(const Work_Clock&) = delete;
    Work_Clock& operator=(const Work_Clock&) = delete;

    // On the working thread, when the work begins; again for the next
    // piece of work of the same kind.
    void start();
    // Milliseconds since start(); 0 before it.
    DWORD spent_ms() const;

private:
    std::atomic<HANDLE> thread{nullptr};
    DWORD at_start = 0;  // written before `thread`
};
