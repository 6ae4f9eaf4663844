// The control active in place: its window in the container's window.
//
// Implements: IOleInPlaceObjectWindowless (with IOleInPlaceObject and
// IOleWindow), IOleInPlaceActiveObject.
//
// In-place activation creates the control's dialog window as a child of
// the site's window and places it on the site's rectangles; the dialog's
// own initialisation builds the sixteen panes.  Deactivation destroys the
// window, which tears the panes down; a later activation starts afresh.
// The control is window-only: it never activates windowless.
#include "kelm_object.h"

#include "kelm_ctrl.h"

namespace {

Kelm_Object* impl_from_IOleInPlaceObjectWindowless(IOleInPlaceObjectWindowless* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IOleInPlaceObjectWindowless_iface);
}

Kelm_Object* impl_from_IOleInPlaceActiveObject(IOleInPlaceActiveObject* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IOleInPlaceActiveObject_iface);
}

// Asks the client site whether the control may go active in place and
// tells it that it does.
HRESULT enter_in_place(Kelm_Object* object)
{
    IOleInPlaceSite* site = nullptr;
    HRESULT hr = IOleClientSite_QueryInterface(object->client_site, IID_IOleInPlaceSite,
                                               reinterpret_cast<void**>(&site));
    if (FAILED(hr))
        return hr;
    hr = IOleInPlaceSite_CanInPlaceActivate(site);
    if (hr == S_OK)
        hr = IOleInPlaceSite_OnInPlaceActivate(site);
    else if (SUCCEEDED(hr))
        hr = E_FAIL;  // the site declines
    if (FAILED(hr)) {
        IOleInPlaceSite_Release(site);
        return hr;
    }
    object->inplace_site = site;
    return S_OK;
}

// The clipping rectangle becomes the window's region when it cuts into
// the position rectangle.
void clip_window(HWND window, const RECT& position, const RECT* clip)
{
    RECT visible;
    if (!clip || (IntersectRect(&visible, &position, clip) && EqualRect(&visible, &position))) {
        (void)SetWindowRgn(window, nullptr, TRUE);  // no region: nothing to undo on failure
        return;
    }
    // Without any overlap `visible` is empty, and so is the region.
    (void)OffsetRect(&visible, -position.left, -position.top);  // fails only for a null rectangle
    HRGN region = CreateRectRgnIndirect(&visible);
    if (region && !SetWindowRgn(window, region, TRUE))
        (void)DeleteObject(region);  // the window took no ownership; nothing else to do
}

HRESULT place_window(HWND window, const RECT* position, const RECT* clip)
{
    if (!SetWindowPos(window, nullptr, position->left, position->top, position->right - position->left,
                      position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE))
        return HRESULT_FROM_WIN32(GetLastError());
    clip_window(window, *position, clip);
    return S_OK;
}

void release_context(Kelm_Object* object)
{
    if (object->frame)
        IOleInPlaceFrame_Release(object->frame);
    if (object->doc_window)
        IOleInPlaceUIWindow_Release(object->doc_window);
    object->frame = nullptr;
    object->doc_window = nullptr;
}

// The site's window, the frame, the document window and the rectangles;
// the control's window is made as a child of the site's window.
HRESULT create_window(Kelm_Object* object)
{
    HWND parent = nullptr;
    HRESULT hr = IOleInPlaceSite_GetWindow(object->inplace_site, &parent);
    if (FAILED(hr))
        return hr;
    RECT position, clip;
    release_context(object);  // a window destroyed behind our back left the old one
    OLEINPLACEFRAMEINFO frame_info = {};
    frame_info.cb = sizeof frame_info;
    hr = IOleInPlaceSite_GetWindowContext(object->inplace_site, &object->frame, &object->doc_window,
                                          &position, &clip, &frame_info);
    if (FAILED(hr))
        return hr;
    HWND window = object->control->create_window(parent);
    if (!window)
        return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_CANNOT_MAKE);
    return place_window(window, &position, &clip);
}

HRESULT ui_activate(Kelm_Object* object)
{
    if (object->ui_active)
        return S_OK;
    const HRESULT hr = IOleInPlaceSite_OnUIActivate(object->inplace_site);
    if (FAILED(hr))
        return hr;
    object->ui_active = TRUE;
    // Frame and document window only record the active object; their
    // answers do not change the activation.
    if (object->frame)
        (void)IOleInPlaceFrame_SetActiveObject(object->frame, &object->IOleInPlaceActiveObject_iface, nullptr);
    if (object->doc_window)
        (void)IOleInPlaceUIWindow_SetActiveObject(object->doc_window, &object->IOleInPlaceActiveObject_iface,
                                                  nullptr);
    (void)SetFocus(object->control->window());  // focus is a courtesy, not a condition
    return S_OK;
}

HRESULT ui_deactivate(Kelm_Object* object)
{
    if (!object->ui_active)
        return S_OK;
    object->ui_active = FALSE;
    if (object->frame)
        (void)IOleInPlaceFrame_SetActiveObject(object->frame, nullptr, nullptr);
    if (object->doc_window)
        (void)IOleInPlaceUIWindow_SetActiveObject(object->doc_window, nullptr, nullptr);
    return IOleInPlaceSite_OnUIDeactivate(object->inplace_site, FALSE);
}

HRESULT window_of(Kelm_Object* object, HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = object->control->window();
    return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE inplaceobject_GetWindow(IOleInPlaceObjectWindowless* iface, HWND* window)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceObjectWindowless(iface)); FAILED(hr))
        return hr;
    return window_of(impl_from_IOleInPlaceObjectWindowless(iface), window);
}

HRESULT STDMETHODCALLTYPE inplaceobject_ContextSensitiveHelp(IOleInPlaceObjectWindowless* iface, BOOL)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceObjectWindowless(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE inplaceobject_InPlaceDeactivate(IOleInPlaceObjectWindowless* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceObjectWindowless(iface)); FAILED(hr))
        return hr;
    return inplace_deactivate(impl_from_IOleInPlaceObjectWindowless(iface));
}

HRESULT STDMETHODCALLTYPE inplaceobject_UIDeactivate(IOleInPlaceObjectWindowless* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceObjectWindowless(iface)); FAILED(hr))
        return hr;
    return ui_deactivate(impl_from_IOleInPlaceObjectWindowless(iface));
}

HRESULT STDMETHODCALLTYPE inplaceobject_SetObjectRects(IOleInPlaceObjectWindowless* iface, LPCRECT position,
                                                       LPCRECT clip)
{
    Kelm_Object* object = impl_from_IOleInPlaceObjectWindowless(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!position)
        return E_POINTER;
    HWND window = object->control->window();
    if (!window)
        return S_OK;  // nothing to place until the control is active in place
    return place_window(window, position, clip);
}

HRESULT STDMETHODCALLTYPE inplaceobject_ReactivateAndUndo(IOleInPlaceObjectWindowless* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceObjectWindowless(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE inplaceobject_OnWindowMessage(IOleInPlaceObjectWindowless* iface, UINT, WPARAM, LPARAM,
                                                        LRESULT*)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceObjectWindowless(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;  // the control has a window of its own for its messages
}

HRESULT STDMETHODCALLTYPE inplaceobject_GetDropTarget(IOleInPlaceObjectWindowless* iface, IDropTarget** target)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceObjectWindowless(iface)); FAILED(hr))
        return hr;
    if (!target)
        return E_POINTER;
    *target = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE inplaceactive_GetWindow(IOleInPlaceActiveObject* iface, HWND* window)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceActiveObject(iface)); FAILED(hr))
        return hr;
    return window_of(impl_from_IOleInPlaceActiveObject(iface), window);
}

HRESULT STDMETHODCALLTYPE inplaceactive_ContextSensitiveHelp(IOleInPlaceActiveObject* iface, BOOL)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceActiveObject(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE inplaceactive_TranslateAccelerator(IOleInPlaceActiveObject* iface, LPMSG)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceActiveObject(iface)); FAILED(hr))
        return hr;
    return S_FALSE;  // no accelerators: the container handles the key
}

HRESULT STDMETHODCALLTYPE inplaceactive_OnWindowActivate(IOleInPlaceActiveObject* iface, BOOL)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceActiveObject(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE inplaceactive_ResizeBorder(IOleInPlaceActiveObject* iface, LPCRECT, IOleInPlaceUIWindow*,
                                                     BOOL)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceActiveObject(iface)); FAILED(hr))
        return hr;
    return S_OK;  // the control puts no tools on the container's borders
}

HRESULT STDMETHODCALLTYPE inplaceactive_EnableModeless(IOleInPlaceActiveObject* iface, BOOL)
{
    if (const HRESULT hr = check_thread(impl_from_IOleInPlaceActiveObject(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

} // namespace

HRESULT inplace_activate(Kelm_Object* object, bool ui)
{
    if (!object->client_site)
        return E_UNEXPECTED;
    HRESULT hr = S_OK;
    if (!object->inplace_site && FAILED(hr = enter_in_place(object)))
        return hr;
    if (!object->control->window() && FAILED(hr = create_window(object))) {
        (void)inplace_deactivate(object);  // undoes the half-made activation
        return hr;
    }
    (void)ShowWindow(object->control->window(), SW_SHOW);  // answers the previous visibility
    return ui ? ui_activate(object) : S_OK;
}

HRESULT inplace_hide(Kelm_Object* object)
{
    const HRESULT hr = ui_deactivate(object);
    if (object->control->window())
        (void)ShowWindow(object->control->window(), SW_HIDE);  // answers the previous visibility
    return hr;
}

HRESULT inplace_deactivate(Kelm_Object* object)
{
    if (!object->inplace_site)
        return S_OK;
    // The container's answers to these notifications change nothing here.
    (void)ui_deactivate(object);
    object->control->destroy_window();
    release_context(object);
    IOleInPlaceSite* site = object->inplace_site;
    object->inplace_site = nullptr;
    (void)IOleInPlaceSite_OnInPlaceDeactivate(site);
    IOleInPlaceSite_Release(site);
    return S_OK;
}

void inplace_release(Kelm_Object* object)
{
    release_context(object);
    if (object->inplace_site)
        IOleInPlaceSite_Release(object->inplace_site);
    object->inplace_site = nullptr;
}

const IOleInPlaceObjectWindowlessVtbl kelm_inplaceobject_vtbl = {
    Outer_Unknown<IOleInPlaceObjectWindowless, impl_from_IOleInPlaceObjectWindowless>::QueryInterface,
    Outer_Unknown<IOleInPlaceObjectWindowless, impl_from_IOleInPlaceObjectWindowless>::AddRef,
    Outer_Unknown<IOleInPlaceObjectWindowless, impl_from_IOleInPlaceObjectWindowless>::Release,
    inplaceobject_GetWindow,
    inplaceobject_ContextSensitiveHelp,
    inplaceobject_InPlaceDeactivate,
    inplaceobject_UIDeactivate,
    inplaceobject_SetObjectRects,
    inplaceobject_ReactivateAndUndo,
    inplaceobject_OnWindowMessage,
    inplaceobject_GetDropTarget,
};

const IOleInPlaceActiveObjectVtbl kelm_inplaceactive_vtbl = {
    Outer_Unknown<IOleInPlaceActiveObject, impl_from_IOleInPlaceActiveObject>::QueryInterface,
    Outer_Unknown<IOleInPlaceActiveObject, impl_from_IOleInPlaceActiveObject>::AddRef,
    Outer_Unknown<IOleInPlaceActiveObject, impl_from_IOleInPlaceActiveObject>::Release,
    inplaceactive_GetWindow,
    inplaceactive_ContextSensitiveHelp,
    inplaceactive_TranslateAccelerator,
    inplaceactive_OnWindowActivate,
    inplaceactive_OnWindowActivate,
    inplaceactive_ResizeBorder,
    inplaceactive_EnableModeless,
};
