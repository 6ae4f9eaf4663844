#include "library_thread.h"

#include <new>

namespace {

struct Thread_Start {
    DWORD(WINAPI* body)(void*);
    void* context;
    HMODULE module;  // one reference on this DLL, released as the thread ends
};

DWORD WINAPI run_then_release(void* start_record)
{
    const Thread_Start start = *static_cast<Thread_Start*>(start_record);
    delete static_cast<Thread_Start*>(start_record);
    const DWORD result = start.body(start.context);
    // Releases the reference and ends the thread without returning into
    // code that the release may have unloaded.
    FreeLibraryAndExitThread(start.module, result);
    return result;
}

} // namespace

HANDLE start_library_thread(DWORD(WINAPI* body)(void*), void* context)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&start_library_thread), &module))
        return nullptr;
    Thread_Start* start = new (std::nothrow) Thread_Start{body, context, module};
    HANDLE thread = start ? CreateThread(nullptr, 0, &run_then_release, start, 0, nullptr) : nullptr;
    if (!thread) {
        delete start;
        (void)FreeLibrary(module);  // balances the reference taken above
    }
    return thread;
}
