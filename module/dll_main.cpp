// kelm.dll entry point.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // The control never needs thread attach and detach notifications.
    if (reason == DLL_PROCESS_ATTACH)
        (void)DisableThreadLibraryCalls(instance);
    return TRUE;
}
