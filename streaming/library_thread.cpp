#include "library_thread.h"

#include <algorithm>
#include <new>
#include <vector>

#include <boost/thread/mutex.hpp>

namespace {

// How long a thread without work waits for more, and how many wait at once.
const DWORD idle_wait_ms = 10000;
const size_t most_waiting = 32;

struct Work {
    DWORD(WINAPI* body)(void*);
    void* context;
    HANDLE done;  // the thread's own handle on the caller's event
};

struct Worker {
    HMODULE module;  // one reference on this DLL, released as the thread ends
    HANDLE wake;     // set when work has been handed to the waiting thread
    Work work;
};

struct Waiting_Workers {
    Waiting_Workers() { workers.reserve(most_waiting); }  // so that joining the list never allocates
    boost::mutex lock;
    std::vector<Worker*> workers;
};

Waiting_Workers& waiting()
{
    static Waiting_Workers instance;
    return instance;
}

// Puts the thread on the waiting list; false when too many wait already.
bool join_waiting(Worker* self)
{
    Waiting_Workers& pool = waiting();
    boost::mutex::scoped_lock guard(pool.lock);
    if (pool.workers.size() >= most_waiting)
        return false;
    pool.workers.push_back(self);
    return true;
}

// Waits on the list for the next work; false when none came in time and
// the thread is to end.
bool await_work(Worker* self)
{
    if (WaitForSingleObject(self->wake, idle_wait_ms) == WAIT_OBJECT_0)
        return true;
    {
        Waiting_Workers& pool = waiting();
        boost::mutex::scoped_lock guard(pool.lock);
        auto it = std::find(pool.workers.begin(), pool.workers.end(), self);
        if (it != pool.workers.end()) {
            pool.workers.erase(it);
            return false;
        }
    }
    // Taken just as the wait ended: the wake is on its way.
    return WaitForSingleObject(self->wake, INFINITE) == WAIT_OBJECT_0;
}

DWORD WINAPI worker_main(void* worker)
{
    Worker* self = static_cast<Worker*>(worker);
    for (;;) {
        const Work work = self->work;  // the next work may be handed over once the thread waits
        (void)work.body(work.context);
        const bool waits = join_waiting(self);
        // Set only now, so that work started once the caller has seen this
        // end finds the thread waiting rather than starting another.
        (void)SetEvent(work.done);    // the thread's own handle: valid whatever the caller did with its own
        (void)CloseHandle(work.done);  // nothing more is set through it
        if (!waits || !await_work(self))
            break;
    }
    const HMODULE module = self->module;
    (void)CloseHandle(self->wake);  // nothing sets it any more: the thread left the waiting list
    delete self;
    // Releases the reference and ends the thread without returning into
    // code that the release may have unloaded.
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

bool hand_to_waiting(const Work& work)
{
    Worker* worker;
    {
        Waiting_Workers& pool = waiting();
        boost::mutex::scoped_lock guard(pool.lock);
        if (pool.workers.empty())
            return false;
        worker = pool.workers.back();
        pool.workers.pop_back();
    }
    worker->work = work;
    (void)SetEvent(worker->wake);  // a valid event: the worker closes it only after leaving the list
    return true;
}

bool start_worker(const Work& work)
{
    Worker* worker = new (std::nothrow) Worker{nullptr, nullptr, work};
    if (!worker)
        return false;
    worker->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (worker->wake && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                           reinterpret_cast<LPCWSTR>(&worker_main), &worker->module)) {
        HANDLE thread = CreateThread(nullptr, 0, &worker_main, worker, 0, nullptr);
        if (thread) {
            (void)CloseHandle(thread);  // the caller's event tells when the work ends
            return true;
        }
        (void)FreeLibrary(worker->module);  // balances the reference taken above
    }
    if (worker->wake)
        (void)CloseHandle(worker->wake);  // never waited on
    delete worker;
    return false;
}

} // namespace

namespace {

DWORD cpu_ms_of(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return 0;
    const ULONGLONG hundreds_of_ns = (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
                                     (static_cast<ULONGLONG>(user.dwHighDateTime) << 32 | user.dwLowDateTime);
    return static_cast<DWORD>(hundreds_of_ns / 10000);
}

} // namespace

Work_Clock::~Work_Clock()
{
    if (HANDLE held = thread.load())
        (void)CloseHandle(held);  // a handle of our own
}

void Work_Clock::start()
{
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self,
                         THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0))
        return;  // the clock stays at 0
    at_start = cpu_ms_of(self);
    if (HANDLE earlier = thread.exchange(self))
        (void)CloseHandle(earlier);  // the clock of an earlier piece of work, ours to close
}

DWORD Work_Clock::spent_ms() const
{
    HANDLE held = thread.load();
    return held ? cpu_ms_of(held) - at_start : 0;
}

HANDLE start_library_thread(DWORD(WINAPI* body)(void*), void* context)
{
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Work work{body, context, nullptr};
    if (!done || !DuplicateHandle(GetCurrentProcess(), done, GetCurrentProcess(), &work.done, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS)) {
        if (done)
            (void)CloseHandle(done);  // never handed out
        return nullptr;
    }
    if (hand_to_waiting(work) || start_worker(work))
        return done;
    (void)CloseHandle(work.done);  // no thread took the work
    (void)CloseHandle(done);
    return nullptr;
}
