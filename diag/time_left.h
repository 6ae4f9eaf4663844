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
