// Module-wide state of kelm.dll: the lock count that DllCanUnloadNow
// reads, the DLL's own path, and the embedded type library's type
// descriptions, loaded once per process.
#pragma once

#include <windows.h>
#include <oleauto.h>

// Every live object and every outstanding factory reference or LockServer
// holds one lock.
void module_lock();
void module_unlock();
LONG module_lock_count();

// Full path of kelm.dll; false when it does not fit `size` characters.
bool module_path(wchar_t* path, DWORD size);

// The type description of `guid` (the interface or the class) from the
// type library embedded in kelm.dll.  The cache keeps the reference: the
// pointer stays valid while the module is loaded, and a caller that hands
// it on adds a reference of its own.
HRESULT module_type_info(REFGUID guid, ITypeInfo** info);
// Loads the embedded type library without registering anything.
HRESULT module_type_library(ITypeLib** library);
// Drops the cached type descriptions (process detach).
void module_release_type_infos();
