// The control's picture as data, for containers that keep a picture of an
// inactive control.
//
// Implements: IDataObject.
//
// The one format offered is a metafile picture (CF_METAFILEPICT on
// TYMED_MFPICT) of the content aspect, drawn with the standard painting at
// the control's extent.  Data advise connections are kept by the system's
// data advise holder.
#include "kelm_object.h"

namespace {

Kelm_Object* impl_from_IDataObject(IDataObject* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IDataObject_iface);
}

HRESULT check_format(const FORMATETC* format)
{
    if (!format)
        return E_POINTER;
    if (format->cfFormat != CF_METAFILEPICT)
        return DV_E_FORMATETC;
    if (!(format->tymed & TYMED_MFPICT))
        return DV_E_TYMED;
    if (format->dwAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (format->lindex != -1)
        return DV_E_LINDEX;  // the content aspect is the whole picture, never a part of it
    return S_OK;
}

HMETAFILE draw_metafile(SIZEL himetric)
{
    const SIZEL pixels = himetric_to_pixels(himetric);
    HDC dc = CreateMetaFileW(nullptr);
    if (!dc)
        return nullptr;
    // The player scales the picture; window origin and extent give it the
    // logical frame.
    (void)SetWindowOrgEx(dc, 0, 0, nullptr);
    (void)SetWindowExtEx(dc, pixels.cx, pixels.cy, nullptr);
    paint_standard(dc, {0, 0, pixels.cx, pixels.cy});
    return CloseMetaFile(dc);
}

// A METAFILEPICT in global memory around `metafile`; it owns the metafile
// only on success.
HGLOBAL wrap_metafile(HMETAFILE metafile, SIZEL himetric)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(METAFILEPICT));
    METAFILEPICT* picture = memory ? static_cast<METAFILEPICT*>(GlobalLock(memory)) : nullptr;
    if (!picture) {
        if (memory)
            (void)GlobalFree(memory);  // our own unlocked block: nothing to report
        return nullptr;
    }
    picture->mm = MM_ANISOTROPIC;
    picture->xExt = himetric.cx;
    picture->yExt = himetric.cy;
    picture->hMF = metafile;
    (void)GlobalUnlock(memory);  // the lock count, not a failure
    return memory;
}

HRESULT ensure_data_advise_holder(Kelm_Object* object)
{
    if (object->data_advise)
        return S_OK;
    return CreateDataAdviseHolder(&object->data_advise);
}

HRESULT STDMETHODCALLTYPE dataobject_GetData(IDataObject* iface, FORMATETC* format, STGMEDIUM* medium)
{
    if (const HRESULT hr = check_thread(impl_from_IDataObject(iface)); FAILED(hr))
        return hr;
    const HRESULT hr = check_format(format);
    if (FAILED(hr))
        return hr;
    if (!medium)
        return E_POINTER;
    const SIZEL extent = impl_from_IDataObject(iface)->extent;
    HMETAFILE metafile = draw_metafile(extent);
    if (!metafile)
        return E_OUTOFMEMORY;
    HGLOBAL picture = wrap_metafile(metafile, extent);
    if (!picture) {
        (void)DeleteMetaFile(metafile);  // never handed out: nothing to report
        return E_OUTOFMEMORY;
    }
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = picture;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE dataobject_GetDataHere(IDataObject* iface, FORMATETC*, STGMEDIUM*)
{
    if (const HRESULT hr = check_thread(impl_from_IDataObject(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE dataobject_QueryGetData(IDataObject* iface, FORMATETC* format)
{
    if (const HRESULT hr = check_thread(impl_from_IDataObject(iface)); FAILED(hr))
        return hr;
    return check_format(format);
}

HRESULT STDMETHODCALLTYPE dataobject_GetCanonicalFormatEtc(IDataObject* iface, FORMATETC*, FORMATETC* out)
{
    if (const HRESULT hr = check_thread(impl_from_IDataObject(iface)); FAILED(hr))
        return hr;
    if (!out)
        return E_POINTER;
    out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE dataobject_SetData(IDataObject* iface, FORMATETC*, STGMEDIUM*, BOOL)
{
    if (const HRESULT hr = check_thread(impl_from_IDataObject(iface)); FAILED(hr))
        return hr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE dataobject_EnumFormatEtc(IDataObject* iface, DWORD, IEnumFORMATETC** formats)
{
    if (const HRESULT hr = check_thread(impl_from_IDataObject(iface)); FAILED(hr))
        return hr;
    if (!formats)
        return E_POINTER;
    *formats = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE dataobject_DAdvise(IDataObject* iface, FORMATETC* format, DWORD advf, IAdviseSink* sink,
                                             DWORD* connection)
{
    Kelm_Object* object = impl_from_IDataObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!connection)
        return E_POINTER;
    *connection = 0;
    if (!format || !sink)
        return E_INVALIDARG;
    const HRESULT hr = ensure_data_advise_holder(object);
    if (FAILED(hr))
        return hr;
    return IDataAdviseHolder_Advise(object->data_advise, iface, format, advf, sink, connection);
}

HRESULT STDMETHODCALLTYPE dataobject_DUnadvise(IDataObject* iface, DWORD connection)
{
    Kelm_Object* object = impl_from_IDataObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!object->data_advise)
        return OLE_E_NOCONNECTION;
    return IDataAdviseHolder_Unadvise(object->data_advise, connection);
}

HRESULT STDMETHODCALLTYPE dataobject_EnumDAdvise(IDataObject* iface, IEnumSTATDATA** advise)
{
    Kelm_Object* object = impl_from_IDataObject(iface);
    if (const HRESULT hr = check_thread(object); FAILED(hr))
        return hr;
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    const HRESULT hr = ensure_data_advise_holder(object);
    if (FAILED(hr))
        return hr;
    return IDataAdviseHolder_EnumAdvise(object->data_advise, advise);
}

} // namespace

void dataobject_release(Kelm_Object* object)
{
    if (object->data_advise)
        IDataAdviseHolder_Release(object->data_advise);
    object->data_advise = nullptr;
}

const IDataObjectVtbl kelm_dataobject_vtbl = {
    Outer_Unknown<IDataObject, impl_from_IDataObject>::QueryInterface,
    Outer_Unknown<IDataObject, impl_from_IDataObject>::AddRef,
    Outer_Unknown<IDataObject, impl_from_IDataObject>::Release,
    dataobject_GetData,
    dataobject_GetDataHere,
    dataobject_QueryGetData,
    dataobject_GetCanonicalFormatEtc,
    dataobject_SetData,
    dataobject_EnumFormatEtc,
    dataobject_DAdvise,
    dataobject_DUnadvise,
    dataobject_EnumDAdvise,
};
