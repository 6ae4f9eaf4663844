/*
 * hikclient_test.h: exports of hikclient.dll for tests and benchmarks only;
 * no part of the product calls them.
 */
#ifndef KELM_HIKCLIENT_TEST_H
#define KELM_HIKCLIENT_TEST_H

#include "hikclient.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Counters of one stream for tests and
   benchmarks.  FALSE for an unknown handle. */
HIKCLIENT_API BOOL __stdcall HIK_ClientStreamStats(LONG handle, DWORD *frames_received,
                                                   DWORD *frames_painted);
/* The same counted over every stream since the library was loaded. */
HIKCLIENT_API BOOL __stdcall HIK_ClientLibraryStats(DWORD *frames_received, DWORD *frames_painted);
/* Milliseconds from the server's capture to the end of the paint over the
   stream's last 1,024 painted pictures: the median and the 99th
   percentile.  FALSE for an unknown handle, or before the server's first
   RTCP sender report. */
HIKCLIENT_API BOOL __stdcall HIK_ClientStreamLatency(LONG handle, LONG *median_ms, LONG *p99_ms);
/* The CPU time the stream's thread has used (receiving, decoding, scaling,
   painting and recording), in milliseconds.  FALSE for an unknown handle. */
HIKCLIENT_API BOOL __stdcall HIK_ClientStreamCpu(LONG handle, DWORD *cpu_ms);
/* The library's sound: blocks handed to the device and blocks dropped to
   stay in step since the library was loaded, the CPU time of its playing
   thread, and whether a sound device is open now. */
HIKCLIENT_API BOOL __stdcall HIK_ClientSoundStats(DWORD *blocks_played, DWORD *blocks_dropped, DWORD *cpu_ms,
                                                  BOOL *device_open);

#ifdef __cplusplus
}
#endif

#endif
