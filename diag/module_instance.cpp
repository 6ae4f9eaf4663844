#include "module_instance.h"

HINSTANCE module_instance()
{
    HMODULE module = nullptr;
    // The module that holds this very function, without taking a reference.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&module_instance), &module))
        return GetModuleHandleW(nullptr);
    return module;
}
