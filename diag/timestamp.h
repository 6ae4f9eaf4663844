// Log entry timestamps: the wall clock of UTC+8, "YYYY-MM-DD  HH:MM:SS:ms".
#pragma once

#include <cstddef>
#include <windows.h>

// Writes the timestamp of the current system time into `buffer` (at most
// `size` bytes, terminated) and returns its length.
int format_timestamp(char* buffer, size_t size);

// The same for a given UTC time.  Eight hours are added with the carry into
// the date, so 17:30 UTC is 01:30 of the next day; the milliseconds are
// written without leading zeros.
int format_timestamp_at(const SYSTEMTIME& utc, char* buffer, size_t size);
