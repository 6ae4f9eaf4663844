// Timing helpers of the benchmarks: wall time and this process's CPU time.
#pragma once

#include <windows.h>

inline double seconds_now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double filetime_seconds(const FILETIME& t)
{
    return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
}

// User and kernel time of this process, in seconds.
inline double process_cpu_seconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    return filetime_seconds(kernel) + filetime_seconds(user);
}

// User and kernel time of the calling thread, in seconds.
inline double thread_cpu_seconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0.0;
    return filetime_seconds(kernel) + filetime_seconds(user);
}

// Serves every message waiting for the calling thread, sent ones too.
inline void pump_waiting_messages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline void pump_messages_for(double seconds)
{
    const double end = seconds_now() + seconds;
    while (seconds_now() < end) {
        pump_waiting_messages();
        Sleep(5);
    }
}
