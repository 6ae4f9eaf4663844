#include "timestamp.h"

#include <cstdio>

namespace {

const ULONGLONG filetime_ticks_per_hour = 36000000000ULL;  // 100 ns ticks
const int wall_clock_offset_hours = 8;

// Shifts a UTC time to the UTC+8 wall clock through FILETIME, which carries
// hours into days, months and years.
bool to_wall_clock(const SYSTEMTIME& utc, SYSTEMTIME* wall)
{
    FILETIME file_time;
    if (!SystemTimeToFileTime(&utc, &file_time))
        return false;
    ULARGE_INTEGER ticks;
    ticks.LowPart = file_time.dwLowDateTime;
    ticks.HighPart = file_time.dwHighDateTime;
    ticks.QuadPart += wall_clock_offset_hours * filetime_ticks_per_hour;
    file_time.dwLowDateTime = ticks.LowPart;
    file_time.dwHighDateTime = ticks.HighPart;
    return FileTimeToSystemTime(&file_time, wall) != FALSE;
}

} // namespace

int format_timestamp_at(const SYSTEMTIME& utc, char* buffer, size_t size)
{
    SYSTEMTIME wall;
    if (!to_wall_clock(utc, &wall))
        wall = utc;  // an invalid time is shown as given rather than lost
    int length = snprintf(buffer, size, "%.4d-%.2d-%.2d  %.2d:%.2d:%.2d:%d",
                          wall.wYear, wall.wMonth, wall.wDay, wall.wHour,
                          wall.wMinute, wall.wSecond, wall.wMilliseconds);
    if (length < 0)
        return 0;
    return static_cast<size_t>(length) < size ? length : static_cast<int>(size) - 1;
}

int format_timestamp(char* buffer, size_t size)
{
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    return format_timestamp_at(utc, buffer, size);
}
