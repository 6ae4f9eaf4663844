// Creation and identity of the control object.
//
// Implements: IUnknown (the inner, non-delegating unknown).
//
// The inner unknown answers exactly the control's twenty interfaces, in
// the order of the table below, its sound and wall interfaces and IUnknown itself.  Its reference count
// is the object's; the final Release tears the object down.
#include "kelm_object.h"

#include <cstddef>
#include <new>
#include <type_traits>

#include "kelm_ctrl.h"
#include "module.h"

namespace {

static_assert(std::is_standard_layout<Kelm_Object>::value,
              "the interface helpers step back from a member to the object");

struct Interface_Entry {
    const IID* iid;
    size_t offset;  // of the interface member that answers it
};

const Interface_Entry interface_table[] = {
    {&IID_Ikelm_ctrl, offsetof(Kelm_Object, Ikelm_ctrl_iface)},
    {&IID_IDispatch, offsetof(Kelm_Object, Ikelm_ctrl_iface)},
    {&IID_IViewObjectEx, offsetof(Kelm_Object, IViewObjectEx_iface)},
    {&IID_IViewObject2, offsetof(Kelm_Object, IViewObjectEx_iface)},
    {&IID_IViewObject, offsetof(Kelm_Object, IViewObjectEx_iface)},
    {&IID_IOleInPlaceObjectWindowless, offsetof(Kelm_Object, IOleInPlaceObjectWindowless_iface)},
    {&IID_IOleInPlaceObject, offsetof(Kelm_Object, IOleInPlaceObjectWindowless_iface)},
    {&IID_IOleWindow, offsetof(Kelm_Object, IOleInPlaceObjectWindowless_iface)},
    {&IID_IOleInPlaceActiveObject, offsetof(Kelm_Object, IOleInPlaceActiveObject_iface)},
    {&IID_IOleControl, offsetof(Kelm_Object, IOleControl_iface)},
    {&IID_IOleObject, offsetof(Kelm_Object, IOleObject_iface)},
    {&IID_IPersistStreamInit, offsetof(Kelm_Object, IPersistStreamInit_iface)},
    {&IID_IPersist, offsetof(Kelm_Object, IPersistStreamInit_iface)},
    {&IID_ISupportErrorInfo, offsetof(Kelm_Object, ISupportErrorInfo_iface)},
    {&IID_ISpecifyPropertyPages, offsetof(Kelm_Object, ISpecifyPropertyPages_iface)},
    {&IID_IQuickActivate, offsetof(Kelm_Object, IQuickActivate_iface)},
    {&IID_IPersistStorage, offsetof(Kelm_Object, IPersistStorage_iface)},
    {&IID_IDataObject, offsetof(Kelm_Object, IDataObject_iface)},
    {&IID_IProvideClassInfo, offsetof(Kelm_Object, IProvideClassInfo2_iface)},
    {&IID_IProvideClassInfo2, offsetof(Kelm_Object, IProvideClassInfo2_iface)},
    // Beside the control's twenty: its sound, for C and C++ hosts.
    {&IID_Ikelm_sound, offsetof(Kelm_Object, Ikelm_sound_iface)},
    // And what a wall of several servers needs.
    {&IID_Ikelm_wall, offsetof(Kelm_Object, Ikelm_wall_iface)},
};

Kelm_Object* impl_from_inner(IUnknown* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IUnknown_inner);
}

// The member answering `riid`, or null.
void* find_interface(Kelm_Object* object, REFIID riid)
{
    if (IsEqualIID(riid, IID_IUnknown))
        return &object->IUnknown_inner;
    for (const Interface_Entry& entry : interface_table) {
        if (IsEqualIID(riid, *entry.iid))
            return reinterpret_cast<char*>(object) + entry.offset;
    }
    return nullptr;
}

HRESULT STDMETHODCALLTYPE inner_QueryInterface(IUnknown* iface, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = find_interface(impl_from_inner(iface), riid);
    if (!*ppv)
        return E_NOINTERFACE;
    IUnknown_AddRef(static_cast<IUnknown*>(*ppv));
    return S_OK;
}

ULONG STDMETHODCALLTYPE inner_AddRef(IUnknown* iface)
{
    return static_cast<ULONG>(InterlockedIncrement(&impl_from_inner(iface)->ref));
}

// The window goes with the control (a window that still exists is torn
// down); the container's site and sinks are let go without calling them,
// since the container may itself be on its way out.
void destroy_object(Kelm_Object* object)
{
    delete object->control;
    oleobject_release(object);
    view_release(object);
    dataobject_release(object);
    inplace_release(object);
    delete object;
    module_unlock();
}

void destroy_object_callback(void* object)
{
    destroy_object(static_cast<Kelm_Object*>(object));
}

// The last Release may come from any thread; only the window's own thread
// can destroy the window, so there the object is freed after it.  Its
// module lock keeps kelm.dll loaded until then.
ULONG STDMETHODCALLTYPE inner_Release(IUnknown* iface)
{
    Kelm_Object* object = impl_from_inner(iface);
    const LONG ref = InterlockedDecrement(&object->ref);
    if (ref != 0)
        return static_cast<ULONG>(ref);
    if (GetCurrentThreadId() == object->owner_thread ||
        !object->control->end_on_window_thread(&destroy_object_callback, object))
        destroy_object(object);
    return 0;
}

const IUnknownVtbl inner_vtbl = {
    inner_QueryInterface,
    inner_AddRef,
    inner_Release,
};

void set_vtables(Kelm_Object* object)
{
    object->IUnknown_inner.lpVtbl = &inner_vtbl;
    object->Ikelm_ctrl_iface.lpVtbl = &kelm_dispatch_vtbl;
    object->IViewObjectEx_iface.lpVtbl = &kelm_viewobject_vtbl;
    object->IOleInPlaceObjectWindowless_iface.lpVtbl = &kelm_inplaceobject_vtbl;
    object->IOleInPlaceActiveObject_iface.lpVtbl = &kelm_inplaceactive_vtbl;
    object->IOleControl_iface.lpVtbl = &kelm_olecontrol_vtbl;
    object->IOleObject_iface.lpVtbl = &kelm_oleobject_vtbl;
    object->IPersistStreamInit_iface.lpVtbl = &kelm_persiststream_vtbl;
    object->ISupportErrorInfo_iface.lpVtbl = &kelm_errorinfo_vtbl;
    object->ISpecifyPropertyPages_iface.lpVtbl = &kelm_propertypages_vtbl;
    object->IQuickActivate_iface.lpVtbl = &kelm_quickactivate_vtbl;
    object->IPersistStorage_iface.lpVtbl = &kelm_persiststorage_vtbl;
    object->IDataObject_iface.lpVtbl = &kelm_dataobject_vtbl;
    object->IProvideClassInfo2_iface.lpVtbl = &kelm_classinfo_vtbl;
    object->Ikelm_sound_iface.lpVtbl = &kelm_sound_vtbl;
    object->Ikelm_wall_iface.lpVtbl = &kelm_wall_vtbl;
}

} // namespace

HRESULT kelm_object_create(IUnknown* outer, REFIID riid, void** ppv)
{
    Kelm_Object* object = new (std::nothrow) Kelm_Object();
    if (!object)
        return E_OUTOFMEMORY;
    object->control = new (std::nothrow) kelm_ctrl();
    if (!object->control) {
        delete object;
        return E_OUTOFMEMORY;
    }
    set_vtables(object);
    object->ref = 1;
    object->outer = outer ? outer : &object->IUnknown_inner;
    object->owner_thread = GetCurrentThreadId();
    // A fresh control is as large as the shared view plus its frame.
    const SIZE natural = kelm_ctrl::natural_size();
    object->extent = pixels_to_himetric({natural.cx, natural.cy});
    object->natural_extent = object->extent;
    module_lock();
    // One path for success and failure: the query takes its own reference
    // and the creation reference goes, which frees a refused object.
    const HRESULT hr = IUnknown_QueryInterface(&object->IUnknown_inner, riid, ppv);
    IUnknown_Release(&object->IUnknown_inner);
    return hr;
}
