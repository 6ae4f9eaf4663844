// The control as an embedded object in a container.
//
// Implements: IOleObject, IOleControl, IQuickActivate.
//
// The container hands the control its client site, asks for verbs (which
// activate, show, UI-activate or hide the control in place), sizes it in
// HIMETRIC and closes it.  The control has no accelerators, no linking and
// no verbs of its own in the registry.
#include "kelm_object.h"

namespace {

// Set the client site before loading, activate when visible, inside-out
// (active in place at once), never linked from inside, redrawn on resize.
const DWORD misc_status_value = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                OLEMISC_RECOMPOSEONRESIZE;
static_assert(misc_status_value == 131473, "the value the registry also carries");

Kelm_Object* impl_from_IOleObject(IOleObject* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IOleObject_iface);
}

Kelm_Object* impl_from_IOleControl(IOleControl* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IOleControl_iface);
}

Kelm_Object* impl_from_IQuickActivate(IQuickActivate* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IQuickActivate_iface);
}

void set_client_site(Kelm_Object* object, IOleClientSite* site)
{
    if (site)
        IOleClientSite_AddRef(site);
    if (object->client_site)
        IOleClientSite_Release(object->client_site);
    object->client_site = site;
}

HRESULT ensure_advise_holder(Kelm_Object* object)
{
    if (object->ole_advise)
        return S_OK;
    return CreateOleAdviseHolder(&object->ole_advise);
}

HRESULT STDMETHODCALLTYPE oleobject_SetClientSite(IOleObject* iface, IOleClientSite* site)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    set_client_site(impl_from_IOleObject(iface), site);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_GetClientSite(IOleObject* iface, IOleClientSite** site)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!site)
        return E_POINTER;
    *site = impl_from_IOleObject(iface)->client_site;
    if (*site)
        IOleClientSite_AddRef(*site);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_SetHostNames(IOleObject* iface, LPCOLESTR, LPCOLESTR)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_Close(IOleObject* iface, DWORD save_option)
{
    Kelm_Object* object = impl_from_IOleObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    HRESULT hr = inplace_deactivate(object);
    if (FAILED(hr))
        return hr;
    if (save_option != OLECLOSE_NOSAVE && object->dirty && object->client_site) {
        hr = IOleClientSite_SaveObject(object->client_site);
        if (FAILED(hr))
            return hr;
    }
    if (object->ole_advise)
        (void)IOleAdviseHolder_SendOnClose(object->ole_advise);  // the sinks' answers change nothing
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_SetMoniker(IOleObject* iface, DWORD, IMoniker*)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE oleobject_GetMoniker(IOleObject* iface, DWORD, DWORD, IMoniker** moniker)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!moniker)
        return E_POINTER;
    *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE oleobject_InitFromData(IOleObject* iface, IDataObject*, BOOL, DWORD)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE oleobject_GetClipboardData(IOleObject* iface, DWORD, IDataObject** data)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!data)
        return E_POINTER;
    *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE oleobject_DoVerb(IOleObject* iface, LONG verb, LPMSG, IOleClientSite* active_site,
                                           LONG, HWND, LPCRECT)
{
    Kelm_Object* object = impl_from_IOleObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!object->client_site && active_site)
        set_client_site(object, active_site);
    switch (verb) {
    case OLEIVERB_INPLACEACTIVATE:
        return inplace_activate(object, false);
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
        return inplace_activate(object, true);
    case OLEIVERB_HIDE:
        return inplace_hide(object);
    default:
        break;
    }
    if (verb < 0)
        return E_NOTIMPL;
    // A positive verb the control does not know acts as the primary verb.
    const HRESULT hr = inplace_activate(object, true);
    return SUCCEEDED(hr) ? OLEOBJ_S_INVALIDVERB : hr;
}

HRESULT STDMETHODCALLTYPE oleobject_EnumVerbs(IOleObject* iface, IEnumOLEVERB** verbs)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!verbs)
        return E_POINTER;
    return OleRegEnumVerbs(CLSID_kelm_ctrl, verbs);
}

HRESULT STDMETHODCALLTYPE oleobject_Update(IOleObject* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_IsUpToDate(IOleObject* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_GetUserClassID(IOleObject* iface, CLSID* clsid)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_kelm_ctrl;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_GetUserType(IOleObject* iface, DWORD form, LPOLESTR* type)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!type)
        return E_POINTER;
    return OleRegGetUserType(CLSID_kelm_ctrl, form, type);
}

HRESULT STDMETHODCALLTYPE oleobject_SetExtent(IOleObject* iface, DWORD aspect, SIZEL* size)
{
    Kelm_Object* object = impl_from_IOleObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    if (size->cx != object->extent.cx || size->cy != object->extent.cy) {
        object->extent = *size;
        object->dirty = TRUE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_GetExtent(IOleObject* iface, DWORD aspect, SIZEL* size)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = impl_from_IOleObject(iface)->extent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_Advise(IOleObject* iface, IAdviseSink* sink, DWORD* connection)
{
    Kelm_Object* object = impl_from_IOleObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!connection)
        return E_POINTER;
    *connection = 0;
    if (!sink)
        return E_INVALIDARG;
    const HRESULT hr = ensure_advise_holder(object);
    if (FAILED(hr))
        return hr;
    return IOleAdviseHolder_Advise(object->ole_advise, sink, connection);
}

HRESULT STDMETHODCALLTYPE oleobject_Unadvise(IOleObject* iface, DWORD connection)
{
    Kelm_Object* object = impl_from_IOleObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!object->ole_advise)
        return OLE_E_NOCONNECTION;
    return IOleAdviseHolder_Unadvise(object->ole_advise, connection);
}

HRESULT STDMETHODCALLTYPE oleobject_EnumAdvise(IOleObject* iface, IEnumSTATDATA** advise)
{
    Kelm_Object* object = impl_from_IOleObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    const HRESULT hr = ensure_advise_holder(object);
    if (FAILED(hr))
        return hr;
    return IOleAdviseHolder_EnumAdvise(object->ole_advise, advise);
}

HRESULT STDMETHODCALLTYPE oleobject_GetMiscStatus(IOleObject* iface, DWORD aspect, DWORD* status)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    if (!status)
        return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kelm_misc_status : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE oleobject_SetColorScheme(IOleObject* iface, LOGPALETTE*)
{
    if (const HRESULT hr = check_thread(impl_from_IOleObject(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE olecontrol_GetControlInfo(IOleControl* iface, CONTROLINFO* info)
{
    if (const HRESULT hr = check_thread(impl_from_IOleControl(iface)); FAILED(hr))
        return hr;
    if (!info)
        return E_POINTER;
    if (info->cb < sizeof(CONTROLINFO))
        return E_INVALIDARG;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE olecontrol_OnMnemonic(IOleControl* iface, MSG*)
{
    if (const HRESULT hr = check_thread(impl_from_IOleControl(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE olecontrol_OnAmbientPropertyChange(IOleControl* iface, DISPID)
{
    if (const HRESULT hr = check_thread(impl_from_IOleControl(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE olecontrol_FreezeEvents(IOleControl* iface, BOOL)
{
    if (const HRESULT hr = check_thread(impl_from_IOleControl(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

// The container's site, its view sink and the control's status in one call.
HRESULT STDMETHODCALLTYPE quickactivate_QuickActivate(IQuickActivate* iface, QACONTAINER* container,
                                                      QACONTROL* control)
{
    Kelm_Object* object = impl_from_IQuickActivate(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!container || !control)
        return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;
    set_client_site(object, container->pClientSite);
    if (container->pAdviseSink) {
        // IAdviseSinkEx begins with IAdviseSink's vtable.
        IAdviseSink* sink = reinterpret_cast<IAdviseSink*>(container->pAdviseSink);
        const HRESULT hr = IViewObjectEx_SetAdvise(&object->IViewObjectEx_iface, DVASPECT_CONTENT, 0, sink);
        if (FAILED(hr))
            return hr;
    }
    control->dwMiscStatus = kelm_misc_status;
    control->dwViewStatus = kelm_view_status;
    control->dwEventCookie = 0;  // the control fires no events
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE quickactivate_SetContentExtent(IQuickActivate* iface, SIZEL* size)
{
    return IOleObject_SetExtent(&impl_from_IQuickActivate(iface)->IOleObject_iface, DVASPECT_CONTENT, size);
}

HRESULT STDMETHODCALLTYPE quickactivate_GetContentExtent(IQuickActivate* iface, SIZEL* size)
{
    return IOleObject_GetExtent(&impl_from_IQuickActivate(iface)->IOleObject_iface, DVASPECT_CONTENT, size);
}

} // namespace

const DWORD kelm_misc_status = misc_status_value;

void oleobject_release(Kelm_Object* object)
{
    set_client_site(object, nullptr);
    if (object->ole_advise)
        IOleAdviseHolder_Release(object->ole_advise);
    object->ole_advise = nullptr;
}

const IOleObjectVtbl kelm_oleobject_vtbl = {
    Outer_Unknown<IOleObject, impl_from_IOleObject>::QueryInterface,
    Outer_Unknown<IOleObject, impl_from_IOleObject>::AddRef,
    Outer_Unknown<IOleObject, impl_from_IOleObject>::Release,
    oleobject_SetClientSite,
    oleobject_GetClientSite,
    oleobject_SetHostNames,
    oleobject_Close,
    oleobject_SetMoniker,
    oleobject_GetMoniker,
    oleobject_InitFromData,
    oleobject_GetClipboardData,
    oleobject_DoVerb,
    oleobject_EnumVerbs,
    oleobject_Update,
    oleobject_IsUpToDate,
    oleobject_GetUserClassID,
    oleobject_GetUserType,
    oleobject_SetExtent,
    oleobject_GetExtent,
    oleobject_Advise,
    oleobject_Unadvise,
    oleobject_EnumAdvise,
    oleobject_GetMiscStatus,
    oleobject_SetColorScheme,
};

const IOleControlVtbl kelm_olecontrol_vtbl = {
    Outer_Unknown<IOleControl, impl_from_IOleControl>::QueryInterface,
    Outer_Unknown<IOleControl, impl_from_IOleControl>::AddRef,
    Outer_Unknown<IOleControl, impl_from_IOleControl>::Release,
    olecontrol_GetControlInfo,
    olecontrol_OnMnemonic,
    olecontrol_OnAmbientPropertyChange,
    olecontrol_FreezeEvents,
};

const IQuickActivateVtbl kelm_quickactivate_vtbl = {
    Outer_Unknown<IQuickActivate, impl_from_IQuickActivate>::QueryInterface,
    Outer_Unknown<IQuickActivate, impl_from_IQuickActivate>::AddRef,
    Outer_Unknown<IQuickActivate, impl_from_IQuickActivate>::Release,
    quickactivate_QuickActivate,
    quickactivate_SetContentExtent,
    quickactivate_GetContentExtent,
};
