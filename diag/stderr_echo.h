// The log's echo to the standard error stream.  A host whose standard
// error is a pipe that nobody drains would hold every logging thread in
// its write, the host's own thread among them; the echo never lets it:
// to a pipe, a thread of its own does the writes, a caller waits at most
// `echo_wait_ms` for its entry to be written, and while a write is stuck
// entries wait in a bounded queue and those beyond it are lost, as a
// failed write loses them.
#pragma once

#include <windows.h>

const DWORD echo_wait_ms = 100;
const size_t echo_queue_bytes = 256 * 1024;

// Writes `length` bytes to descriptor 2, in order with earlier entries.
void echo_to_stderr(const char* bytes, int length);
