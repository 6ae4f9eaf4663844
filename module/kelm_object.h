// Kelm_Object: the COM object that carries one kelm_ctrl.
//
// One struct holds every interface of the object.  Each interface's
// functions get back to the struct through an impl_from_<interface>
// helper, and every interface hands QueryInterface, AddRef and Release to
// the one controlling unknown: the aggregating object's when the control
// is aggregated, the object's own inner unknown otherwise.  The module is
// compiled with C-style vtables (CINTERFACE, CONST_VTABLE), so the struct
// is plain data and the helpers step back from a member to the struct.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include "kelm_h.h"

class kelm_ctrl;

struct Kelm_Object {
    IUnknown IUnknown_inner;                  // the object's own identity
    Ikelm_ctrl Ikelm_ctrl_iface;              // also IDispatch
    IViewObjectEx IViewObjectEx_iface;        // also IViewObject2, IViewObject
    IOleInPlaceObjectWindowless IOleInPlaceObjectWindowless_iface;  // also IOleInPlaceObject, IOleWindow
    IOleInPlaceActiveObject IOleInPlaceActiveObject_iface;
    IOleControl IOleControl_iface;
    IOleObject IOleObject_iface;
    IPersistStreamInit IPersistStreamInit_iface;  // also IPersist
    ISupportErrorInfo ISupportErrorInfo_iface;
    ISpecifyPropertyPages ISpecifyPropertyPages_iface;
    IQuickActivate IQuickActivate_iface;
    IPersistStorage IPersistStorage_iface;
    IDataObject IDataObject_iface;
    IProvideClassInfo2 IProvideClassInfo2_iface;  // also IProvideClassInfo
    Ikelm_sound Ikelm_sound_iface;
    Ikelm_wall Ikelm_wall_iface;

    LONG ref;
    IUnknown* outer;     // the controlling unknown
    kelm_ctrl* control;  // owned
    DWORD owner_thread;  // the creating thread, whose apartment the object lives in

    // Embedding in a container.
    IOleClientSite* client_site;
    IOleAdviseHolder* ole_advise;
    IDataAdviseHolder* data_advise;
    IAdviseSink* view_sink;
    DWORD view_aspects;
    DWORD view_advf;
    SIZEL extent;          // HIMETRIC
    SIZEL natural_extent;  // HIMETRIC
    BOOL dirty;

    // In-place activation: held from activation to deactivation.
    IOleInPlaceSite* inplace_site;
    IOleInPlaceFrame* frame;
    IOleInPlaceUIWindow* doc_window;
    BOOL ui_active;
};

// The object lives in the apartment of the thread that created it.  Every
// interface method but IUnknown's starts with this check: a call through a
// raw pointer from another thread is refused at once, since run there it
// would race the owner or wait on messages the owner is not handling.
// IUnknown stays open so that any thread can still let the object go; a
// method that only hands its call to another method of the object is
// checked there.
inline HRESULT check_thread(const Kelm_Object* object)
{
    return GetCurrentThreadId() == object->owner_thread ? S_OK : RPC_E_WRONG_THREAD;
}

// QueryInterface, AddRef and Release of any interface of the object, handed
// to the controlling unknown; `Impl` is the interface's impl_from helper.
template <class Interface, Kelm_Object* (*Impl)(Interface*)>
struct Outer_Unknown {
    static HRESULT STDMETHODCALLTYPE QueryInterface(Interface* iface, REFIID riid, void** ppv)
    {
        return IUnknown_QueryInterface(Impl(iface)->outer, riid, ppv);
    }
    static ULONG STDMETHODCALLTYPE AddRef(Interface* iface)
    {
        return IUnknown_AddRef(Impl(iface)->outer);
    }
    static ULONG STDMETHODCALLTYPE Release(Interface* iface)
    {
        return IUnknown_Release(Impl(iface)->outer);
    }
};

// An entry of an interface for C and C++ hosts (Ikelm_sound, Ikelm_wall):
// checks the calling thread and hands the call to the kelm_ctrl member, as
// the dispatch interface's entries do.  kelm_ctrl is complete where the
// entry is instantiated.
template <class Interface, Kelm_Object* (*Impl)(Interface*), class... Args>
struct Control_Entry {
    template <HRESULT (kelm_ctrl::*Member)(Args...)>
    static HRESULT STDMETHODCALLTYPE call(Interface* iface, Args... args)
    {
        Kelm_Object* object = Impl(iface);
        if (const HRESULT hr = check_thread(object); FAILED(hr))
            return hr;
        return (object->control->*Member)(args...);
    }
};

// object.cpp: a new control; `outer` is the aggregating object or null.
HRESULT kelm_object_create(IUnknown* outer, REFIID riid, void** ppv);
// factory.cpp: the class factory's interface `riid`.
HRESULT kelm_factory_query(REFIID riid, void** ppv);

// The vtables of each interface family, one file each.
extern const Ikelm_ctrlVtbl kelm_dispatch_vtbl;
extern const IOleObjectVtbl kelm_oleobject_vtbl;
extern const IOleControlVtbl kelm_olecontrol_vtbl;
extern const IQuickActivateVtbl kelm_quickactivate_vtbl;
extern const IOleInPlaceObjectWindowlessVtbl kelm_inplaceobject_vtbl;
extern const IOleInPlaceActiveObjectVtbl kelm_inplaceactive_vtbl;
extern const IViewObjectExVtbl kelm_viewobject_vtbl;
extern const IDataObjectVtbl kelm_dataobject_vtbl;
extern const IPersistStreamInitVtbl kelm_persiststream_vtbl;
extern const IPersistStorageVtbl kelm_persiststorage_vtbl;
extern const IProvideClassInfo2Vtbl kelm_classinfo_vtbl;
extern const ISupportErrorInfoVtbl kelm_errorinfo_vtbl;
extern const ISpecifyPropertyPagesVtbl kelm_propertypages_vtbl;
extern const Ikelm_soundVtbl kelm_sound_vtbl;
extern const Ikelm_wallVtbl kelm_wall_vtbl;

// oleobject.cpp: the miscellaneous status the control reports for its
// content aspect, and dropping the container's site and sinks.
extern const DWORD kelm_misc_status;
void oleobject_release(Kelm_Object* object);

// inplace.cpp: in-place activation (with UI activation when asked),
// hiding, and deactivation, which destroys the control's window.
HRESULT inplace_activate(Kelm_Object* object, bool ui_activate);
HRESULT inplace_hide(Kelm_Object* object);
HRESULT inplace_deactivate(Kelm_Object* object);
// Lets go of the in-place site, frame and document window without calling
// them (final release).
void inplace_release(Kelm_Object* object);

// view.cpp: the view status, the painting outside in-place activation,
// the extent conversions and dropping the view's sink.
extern const DWORD kelm_view_status;
void paint_standard(HDC dc, const RECTL& bounds);
SIZEL pixels_to_himetric(SIZEL pixels);
SIZEL himetric_to_pixels(SIZEL himetric);
void view_release(Kelm_Object* object);

// dataobject.cpp: dropping the data sinks.
void dataobject_release(Kelm_Object* object);
