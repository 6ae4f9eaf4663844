// What is left of a time bound, on the tick clock (wraps after 49 days,
// which unsigned subtraction absorbs).
#pragma once

#include <windows.h>

// Milliseconds left of `span_ms` begun at tick `since`; 0 once it is over.
inline DWORD time_left(DWORD span_ms, DWORD since, DWORD now = GetTickCount())
{
    const DWORD spent = now - since;
    return spent < span_ms ? span_ms - spent : 0;
}

// True when at least `span_ms` has passed from tick `since` to tick `now`.
inline bool elapsed(DWORD now, DWORD since, DWORD span_ms)
{
    return now - since >= span_ms;
}

// True when tick `tick` is at or after tick `since`; either may lie in the
// future, as long as the two are within 24 days of each other.
inline bool later_than(DWORD tick, DWORD since)
{
    return static_cast<LONG>(tick - since) >= 0;
}
