// The control's view for containers that draw it themselves.
//
// Implements: IViewObjectEx (with IViewObject2 and IViewObject).
//
// Active in place, the control's window paints itself and Draw adds
// nothing.  Otherwise (in a designer, or when a container prints it) Draw
// paints the standard picture: a grey rectangle with a black border and
// the caption "ATL Composite Control" in its middle.
#include "kelm_object.h"

#include "kelm_ctrl.h"

namespace {

const int himetric_per_inch = 2540;

Kelm_Object* impl_from_IViewObjectEx(IViewObjectEx* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IViewObjectEx_iface);
}

bool drawable_aspect(DWORD aspect)
{
    return aspect == DVASPECT_CONTENT || aspect == DVASPECT_OPAQUE || aspect == DVASPECT_TRANSPARENT;
}

// Pixels per logical inch of the screen, across and down.
SIZE screen_pixels_per_inch()
{
    SIZE ppi = {96, 96};
    HDC screen = GetDC(nullptr);
    if (screen) {
        ppi.cx = GetDeviceCaps(screen, LOGPIXELSX);
        ppi.cy = GetDeviceCaps(screen, LOGPIXELSY);
        (void)ReleaseDC(nullptr, screen);  // the screen's common context: nothing to report
    }
    return ppi;
}

HRESULT STDMETHODCALLTYPE view_Draw(IViewObjectEx* iface, DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                    HDC dc, LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                    ULONG_PTR)
{
    Kelm_Object* object = impl_from_IViewObjectEx(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!drawable_aspect(aspect))
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    if (!object->control->window())
        paint_standard(dc, *bounds);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE view_GetColorSet(IViewObjectEx* iface, DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                           LOGPALETTE** colours)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    if (!colours)
        return E_POINTER;
    *colours = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE view_Freeze(IViewObjectEx* iface, DWORD, LONG, void*, DWORD*)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE view_Unfreeze(IViewObjectEx* iface, DWORD)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE view_SetAdvise(IViewObjectEx* iface, DWORD aspects, DWORD advf, IAdviseSink* sink)
{
    Kelm_Object* object = impl_from_IViewObjectEx(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (sink)
        IAdviseSink_AddRef(sink);
    view_release(object);
    object->view_sink = sink;
    object->view_aspects = aspects;
    object->view_advf = advf;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE view_GetAdvise(IViewObjectEx* iface, DWORD* aspects, DWORD* advf, IAdviseSink** sink)
{
    Kelm_Object* object = impl_from_IViewObjectEx(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (aspects)
        *aspects = object->view_aspects;
    if (advf)
        *advf = object->view_advf;
    if (sink) {
        *sink = object->view_sink;
        if (*sink)
            IAdviseSink_AddRef(*sink);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE view_GetExtent(IViewObjectEx* iface, DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return IOleObject_GetExtent(&impl_from_IViewObjectEx(iface)->IOleObject_iface, aspect, size);
}

HRESULT STDMETHODCALLTYPE view_GetRect(IViewObjectEx* iface, DWORD, LPRECTL)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE view_GetViewStatus(IViewObjectEx* iface, DWORD* status)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    if (!status)
        return E_POINTER;
    *status = kelm_view_status;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE view_QueryHitPoint(IViewObjectEx* iface, DWORD aspect, LPCRECT bounds, POINT point, LONG,
                                             DWORD* result)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!bounds || !result)
        return E_POINTER;
    *result = PtInRect(bounds, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE view_QueryHitRect(IViewObjectEx* iface, DWORD aspect, LPCRECT bounds, LPCRECT location,
                                            LONG, DWORD* result)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!bounds || !location || !result)
        return E_POINTER;
    RECT overlap;
    *result = IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE view_GetNaturalExtent(IViewObjectEx* iface, DWORD aspect, LONG, DVTARGETDEVICE*, HDC,
                                                DVEXTENTINFO* info, LPSIZEL size)
{
    if (const HRESULT hr = check_thread(impl_from_IViewObjectEx(iface)); FAILED(hr))
        return hr;
    if (!size || !info)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT || info->dwExtentMode != DVEXTENT_CONTENT)
        return E_NOTIMPL;
    *size = impl_from_IViewObjectEx(iface)->natural_extent;
    return S_OK;
}

} // namespace

// The control paints its whole rectangle with an opaque background.
const DWORD kelm_view_status = VIEWSTATUS_SOLIDBKGND | VIEWSTATUS_OPAQUE;

void paint_standard(HDC dc, const RECTL& bounds)
{
    RECT rect = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    // Drawing is best effort: a failed call leaves a plainer picture and
    // has nobody to report to.
    const int saved = SaveDC(dc);
    (void)SelectObject(dc, GetStockObject(BLACK_PEN));
    (void)SelectObject(dc, GetStockObject(GRAY_BRUSH));
    (void)Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    (void)SetBkMode(dc, TRANSPARENT);
    (void)SetTextColor(dc, RGB(0, 0, 0));
    (void)DrawTextW(dc, L"ATL Composite Control", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (saved)
        (void)RestoreDC(dc, saved);
}

SIZEL pixels_to_himetric(SIZEL pixels)
{
    const SIZE ppi = screen_pixels_per_inch();
    return {MulDiv(pixels.cx, himetric_per_inch, ppi.cx), MulDiv(pixels.cy, himetric_per_inch, ppi.cy)};
}

SIZEL himetric_to_pixels(SIZEL himetric)
{
    const SIZE ppi = screen_pixels_per_inch();
    return {MulDiv(himetric.cx, ppi.cx, himetric_per_inch), MulDiv(himetric.cy, ppi.cy, himetric_per_inch)};
}

void view_release(Kelm_Object* object)
{
    if (object->view_sink)
        IAdviseSink_Release(object->view_sink);
    object->view_sink = nullptr;
}

const IViewObjectExVtbl kelm_viewobject_vtbl = {
    Outer_Unknown<IViewObjectEx, impl_from_IViewObjectEx>::QueryInterface,
    Outer_Unknown<IViewObjectEx, impl_from_IViewObjectEx>::AddRef,
    Outer_Unknown<IViewObjectEx, impl_from_IViewObjectEx>::Release,
    view_Draw,
    view_GetColorSet,
    view_Freeze,
    view_Unfreeze,
    view_SetAdvise,
    view_GetAdvise,
    view_GetExtent,
    view_GetRect,
    view_GetViewStatus,
    view_QueryHitPoint,
    view_QueryHitRect,
    view_GetNaturalExtent,
};
