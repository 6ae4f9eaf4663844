/*
 * detached_thread.h: a thread nobody waits for, which keeps the module that
 * holds its code loaded until it has ended, so that a host freeing kelm.dll
 * never unloads code a thread still runs.
 */
#pragma once

#include <windows.h>

/* Runs body(context) on a new thread; false (and body never runs) when the
   thread could not be started. */
bool start_detached_thread(void (*body)(void *), void *context);
