// The class factory of kelm_ctrl.
//
// Implements: IClassFactory (and IUnknown).
//
// One static factory lives as long as the module.  Every reference handed
// out, like every LockServer(TRUE), holds one module lock, so the DLL is
// never unloaded under a host that still holds the factory.
#include "kelm_object.h"
#include "module.h"

namespace {

struct Factory {
    IClassFactory IClassFactory_iface;
    LONG ref;
};

HRESULT STDMETHODCALLTYPE factory_QueryInterface(IClassFactory* iface, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = iface;
        IClassFactory_AddRef(iface);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

Factory* impl_from_IClassFactory(IClassFactory* iface)
{
    return CONTAINING_RECORD(iface, Factory, IClassFactory_iface);
}

ULONG STDMETHODCALLTYPE factory_AddRef(IClassFactory* iface)
{
    module_lock();
    return static_cast<ULONG>(InterlockedIncrement(&impl_from_IClassFactory(iface)->ref));
}

ULONG STDMETHODCALLTYPE factory_Release(IClassFactory* iface)
{
    const LONG ref = InterlockedDecrement(&impl_from_IClassFactory(iface)->ref);
    module_unlock();
    return static_cast<ULONG>(ref);
}

HRESULT STDMETHODCALLTYPE factory_CreateInstance(IClassFactory*, IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // An aggregated object hands its outer object the inner unknown only.
    if (outer && !IsEqualIID(riid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    return kelm_object_create(outer, riid, ppv);
}

HRESULT STDMETHODCALLTYPE factory_LockServer(IClassFactory*, BOOL lock)
{
    if (lock)
        module_lock();
    else
        module_unlock();
    return S_OK;
}

const IClassFactoryVtbl factory_vtbl = {
    factory_QueryInterface,
    factory_AddRef,
    factory_Release,
    factory_CreateInstance,
    factory_LockServer,
};

Factory factory = {{&factory_vtbl}, 0};

} // namespace

HRESULT kelm_factory_query(REFIID riid, void** ppv)
{
    return factory_QueryInterface(&factory.IClassFactory_iface, riid, ppv);
}
