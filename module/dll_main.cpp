// kelm.dll entry points: DllMain, DllCanUnloadNow, DllGetClassObject; the
// module's lock count and its path.
#include "module.h"

#include "dispatch_members.h"
#include "kelm_object.h"
#include "module_instance.h"

namespace {

LONG lock_count = 0;

} // namespace

void module_lock()
{
    InterlockedIncrement(&lock_count);
}

void module_unlock()
{
    InterlockedDecrement(&lock_count);
}

LONG module_lock_count()
{
    return InterlockedCompareExchange(&lock_count, 0, 0);
}

bool module_path(wchar_t* path, DWORD size)
{
    const DWORD length = GetModuleFileNameW(module_instance(), path, size);
    return length > 0 && length < size;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // Thread notifications stay on: the statically linked runtime relies on
    // them for its thread-local data.  The module registers no window class
    // (its window is a dialog of the system's classes), so detach has only
    // the cached type descriptions and names to drop, and only on an
    // explicit unload: at process exit oleaut32 may already be gone.
    if (reason == DLL_PROCESS_DETACH && !reserved) {
        dispatch_release_members();
        module_release_type_infos();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return module_lock_count() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_kelm_ctrl))
        return CLASS_E_CLASSNOTAVAILABLE;
    return kelm_factory_query(iid, out);
}
