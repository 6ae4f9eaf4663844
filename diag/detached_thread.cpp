/*
 * detached_thread.cpp: the thread of start_detached_thread, with the
 * reference on its own module that it drops as it ends.
 */

#include "detached_thread.h"

#include <new>

namespace {

struct Detached_Work {
    void (*body)(void *);
    void *context;
    HMODULE module;
};

DWORD WINAPI detached_main(void *argument)
{
    const Detached_Work work = *static_cast<Detached_Work *>(argument);
    delete static_cast<Detached_Work *>(argument);
    work.body(work.context);
    FreeLibraryAndExitThread(work.module, 0);
}

} // namespace

bool start_detached_thread(void (*body)(void *), void *context)
{
    Detached_Work *work = new (std::nothrow) Detached_Work{body, context, nullptr};
    if (!work)
        return false;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&detached_main),
                            &work->module)) {
        delete work;
        return false;
    }
    const HMODULE module = work->module;
    HANDLE thread = CreateThread(nullptr, 0, detached_main, work, 0, nullptr);
    if (!thread) {
        delete work;
        (void)FreeLibrary(module); /* the reference the thread would have dropped */
        return false;
    }
    (void)CloseHandle(thread); /* the thread is never waited for */
    return true;
}
