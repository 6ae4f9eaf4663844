// The type library embedded in kelm.dll (resource 1) and the two type
// descriptions taken from it: the interface, which IDispatch works
// through, and the class, which IProvideClassInfo hands out.  They are
// loaded once per process, on first use, and kept until the module is
// unloaded.
#include "module.h"

#include "kelm_h.h"

namespace {

struct Cached_Type_Info {
    const GUID* guid;
    ITypeInfo* info;
};

Cached_Type_Info cache[] = {
    {&IID_Ikelm_ctrl, nullptr},
    {&CLSID_kelm_ctrl, nullptr},
};

Cached_Type_Info* cache_entry(REFGUID guid)
{
    for (Cached_Type_Info& entry : cache) {
        if (IsEqualGUID(guid, *entry.guid))
            return &entry;
    }
    return nullptr;
}

HRESULT load_type_info(REFGUID guid, ITypeInfo** info)
{
    ITypeLib* library = nullptr;
    HRESULT hr = module_type_library(&library);
    if (SUCCEEDED(hr)) {
        hr = ITypeLib_GetTypeInfoOfGuid(library, guid, info);
        ITypeLib_Release(library);
    }
    return hr;
}

} // namespace

HRESULT module_type_library(ITypeLib** library)
{
    wchar_t path[MAX_PATH];
    if (!module_path(path, MAX_PATH))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return LoadTypeLibEx(path, REGKIND_NONE, library);
}

HRESULT module_type_info(REFGUID guid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    Cached_Type_Info* entry = cache_entry(guid);
    if (!entry)
        return TYPE_E_ELEMENTNOTFOUND;
    if (!entry->info) {
        ITypeInfo* loaded = nullptr;
        const HRESULT hr = load_type_info(guid, &loaded);
        if (FAILED(hr))
            return hr;
        // Two threads may load at once: the first to publish wins.
        if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&entry->info), loaded, nullptr))
            ITypeInfo_Release(loaded);
    }
    *info = entry->info;
    return S_OK;
}

void module_release_type_infos()
{
    for (Cached_Type_Info& entry : cache) {
        if (entry.info)
            ITypeInfo_Release(entry.info);
        entry.info = nullptr;
    }
}
