// Threads of hikclient.dll that keep the DLL loaded for as long as they run:
// a host that unloads the library while a stream or a recording is still
// winding down must not have code pulled out from under a running thread.
#pragma once

#include <windows.h>

// Starts a thread running body(context); null when it cannot be started.
// The caller waits on and closes the handle as with CreateThread.
HANDLE start_library_thread(DWORD(WINAPI* body)(void*), void* context);
