/*
 * running_stream.h: a stream of the streaming library started with the
 * empty login, for tests and benchmarks that need it playing.
 */
#pragma once

#include <windows.h>

#include <string>

/* Starts channel `channel` of the server at `address` into `window` and
   waits up to 3 s for it to run; the handle (-1 when it did not start). */
LONG start_running_stream(const std::string &address, BYTE channel, HWND window);
