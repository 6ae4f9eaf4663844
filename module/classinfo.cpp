// What the control says about its class.
//
// Implements: IProvideClassInfo2 (with IProvideClassInfo),
// ISupportErrorInfo, ISpecifyPropertyPages.
//
// The class description comes from the embedded type library; the class
// has no event source.  The control never raises error information, so it
// claims error-information support for no interface.  The one property
// page it names is its own class identifier.
#include "kelm_object.h"

#include "module.h"

namespace {

Kelm_Object* impl_from_IProvideClassInfo2(IProvideClassInfo2* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IProvideClassInfo2_iface);
}

Kelm_Object* impl_from_ISupportErrorInfo(ISupportErrorInfo* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, ISupportErrorInfo_iface);
}

Kelm_Object* impl_from_ISpecifyPropertyPages(ISpecifyPropertyPages* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, ISpecifyPropertyPages_iface);
}

HRESULT STDMETHODCALLTYPE classinfo_GetClassInfo(IProvideClassInfo2* iface, ITypeInfo** info)
{
    if (const HRESULT hr = check_thread(impl_from_IProvideClassInfo2(iface)); FAILED(hr))
        return hr;
    if (!info)
        return E_POINTER;
    const HRESULT hr = module_type_info(CLSID_kelm_ctrl, info);
    if (SUCCEEDED(hr))
        ITypeInfo_AddRef(*info);
    return hr;
}

HRESULT STDMETHODCALLTYPE classinfo_GetGUID(IProvideClassInfo2* iface, DWORD kind, GUID* guid)
{
    if (const HRESULT hr = check_thread(impl_from_IProvideClassInfo2(iface)); FAILED(hr))
        return hr;
    if (!guid)
        return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
        return E_INVALIDARG;
    return E_FAIL;  // no event source interface
}

HRESULT STDMETHODCALLTYPE errorinfo_InterfaceSupportsErrorInfo(ISupportErrorInfo* iface, REFIID)
{
    if (const HRESULT hr = check_thread(impl_from_ISupportErrorInfo(iface)); FAILED(hr))
        return hr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE propertypages_GetPages(ISpecifyPropertyPages* iface, CAUUID* pages)
{
    if (const HRESULT hr = check_thread(impl_from_ISpecifyPropertyPages(iface)); FAILED(hr))
        return hr;
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems)
        return E_OUTOFMEMORY;
    pages->pElems[0] = CLSID_kelm_ctrl;
    pages->cElems = 1;
    return S_OK;
}

} // namespace

const IProvideClassInfo2Vtbl kelm_classinfo_vtbl = {
    Outer_Unknown<IProvideClassInfo2, impl_from_IProvideClassInfo2>::QueryInterface,
    Outer_Unknown<IProvideClassInfo2, impl_from_IProvideClassInfo2>::AddRef,
    Outer_Unknown<IProvideClassInfo2, impl_from_IProvideClassInfo2>::Release,
    classinfo_GetClassInfo,
    classinfo_GetGUID,
};

const ISupportErrorInfoVtbl kelm_errorinfo_vtbl = {
    Outer_Unknown<ISupportErrorInfo, impl_from_ISupportErrorInfo>::QueryInterface,
    Outer_Unknown<ISupportErrorInfo, impl_from_ISupportErrorInfo>::AddRef,
    Outer_Unknown<ISupportErrorInfo, impl_from_ISupportErrorInfo>::Release,
    errorinfo_InterfaceSupportsErrorInfo,
};

const ISpecifyPropertyPagesVtbl kelm_propertypages_vtbl = {
    Outer_Unknown<ISpecifyPropertyPages, impl_from_ISpecifyPropertyPages>::QueryInterface,
    Outer_Unknown<ISpecifyPropertyPages, impl_from_ISpecifyPropertyPages>::AddRef,
    Outer_Unknown<ISpecifyPropertyPages, impl_from_ISpecifyPropertyPages>::Release,
    propertypages_GetPages,
};
