// The control's saved state.
//
// Implements: IPersistStreamInit (with IPersist), IPersistStorage.
//
// Both interfaces write the same 18 bytes, little-endian (IPersistStorage
// into the storage's stream "Contents"):
//   version 0x0710                          32 bits
//   extent width, height in HIMETRIC        32 bits each
//   ScreenMode as a variant: type tag VT_I4 16 bits, value 32 bits
// ScreenMode is read and applied through the control's own interface, so
// the privilege gate and the split-mode rules hold; loaded before the
// control has a window it changes nothing.  A newer version, another type
// tag or a short stream is refused and changes nothing.
#include "kelm_object.h"

namespace {

const DWORD state_version = 0x0710;
const ULONG state_size = 18;
const wchar_t contents_stream[] = L"Contents";

struct Saved_State {
    SIZEL extent;
    LONG screen_mode;
};

Kelm_Object* impl_from_IPersistStreamInit(IPersistStreamInit* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IPersistStreamInit_iface);
}

Kelm_Object* impl_from_IPersistStorage(IPersistStorage* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, IPersistStorage_iface);
}

void put_le(BYTE* at, DWORD value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<BYTE>(value >> (8 * i));
}

DWORD get_le(const BYTE* at, int bytes)
{
    DWORD value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

void encode_state(const Saved_State& state, BYTE (&bytes)[state_size])
{
    put_le(bytes, state_version, 4);
    put_le(bytes + 4, static_cast<DWORD>(state.extent.cx), 4);
    put_le(bytes + 8, static_cast<DWORD>(state.extent.cy), 4);
    put_le(bytes + 12, VT_I4, 2);
    put_le(bytes + 14, static_cast<DWORD>(state.screen_mode), 4);
}

HRESULT decode_state(const BYTE (&bytes)[state_size], Saved_State* state)
{
    if (get_le(bytes, 4) > state_version || get_le(bytes + 12, 2) != VT_I4)
        return E_FAIL;
    state->extent.cx = static_cast<LONG>(get_le(bytes + 4, 4));
    state->extent.cy = static_cast<LONG>(get_le(bytes + 8, 4));
    state->screen_mode = static_cast<LONG>(get_le(bytes + 14, 4));
    return S_OK;
}

HRESULT save_state(Kelm_Object* object, IStream* stream, BOOL clear_dirty)
{
    if (!stream)
        return E_POINTER;
    Saved_State state = {object->extent, 0};
    // A read refused by the privilege gate (or made without a window)
    // saves 0, which loads as no change.
    (void)Ikelm_ctrl_get_ScreenMode(&object->Ikelm_ctrl_iface, &state.screen_mode);
    BYTE bytes[state_size];
    encode_state(state, bytes);
    ULONG written = 0;
    const HRESULT hr = IStream_Write(stream, bytes, state_size, &written);
    if (FAILED(hr))
        return hr;
    if (written != state_size)
        return STG_E_MEDIUMFULL;
    if (clear_dirty)
        object->dirty = FALSE;
    return S_OK;
}

HRESULT load_state(Kelm_Object* object, IStream* stream)
{
    if (!stream)
        return E_POINTER;
    BYTE bytes[state_size];
    ULONG read = 0;
    HRESULT hr = IStream_Read(stream, bytes, state_size, &read);
    if (FAILED(hr))
        return hr;
    if (read != state_size)
        return STG_E_READFAULT;
    Saved_State state;
    if (FAILED(hr = decode_state(bytes, &state)))
        return hr;
    object->extent = state.extent;
    // S_FALSE (refused, or no window yet) is no failure of the load.
    hr = Ikelm_ctrl_put_ScreenMode(&object->Ikelm_ctrl_iface, state.screen_mode);
    if (FAILED(hr))
        return hr;
    object->dirty = FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE stream_GetClassID(IPersistStreamInit* iface, CLSID* clsid)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStreamInit(iface)); FAILED(hr))
        return hr;
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_kelm_ctrl;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE stream_IsDirty(IPersistStreamInit* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStreamInit(iface)); FAILED(hr))
        return hr;
    return impl_from_IPersistStreamInit(iface)->dirty ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE stream_Load(IPersistStreamInit* iface, IStream* stream)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStreamInit(iface)); FAILED(hr))
        return hr;
    return load_state(impl_from_IPersistStreamInit(iface), stream);
}

HRESULT STDMETHODCALLTYPE stream_Save(IPersistStreamInit* iface, IStream* stream, BOOL clear_dirty)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStreamInit(iface)); FAILED(hr))
        return hr;
    return save_state(impl_from_IPersistStreamInit(iface), stream, clear_dirty);
}

HRESULT STDMETHODCALLTYPE stream_GetSizeMax(IPersistStreamInit* iface, ULARGE_INTEGER* size)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStreamInit(iface)); FAILED(hr))
        return hr;
    if (!size)
        return E_POINTER;
    size->QuadPart = state_size;
    return S_OK;
}

// A new control has never been saved, so it needs saving.
HRESULT STDMETHODCALLTYPE stream_InitNew(IPersistStreamInit* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStreamInit(iface)); FAILED(hr))
        return hr;
    impl_from_IPersistStreamInit(iface)->dirty = TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE storage_GetClassID(IPersistStorage* iface, CLSID* clsid)
{
    return stream_GetClassID(&impl_from_IPersistStorage(iface)->IPersistStreamInit_iface, clsid);
}

HRESULT STDMETHODCALLTYPE storage_IsDirty(IPersistStorage* iface)
{
    return stream_IsDirty(&impl_from_IPersistStorage(iface)->IPersistStreamInit_iface);
}

HRESULT STDMETHODCALLTYPE storage_InitNew(IPersistStorage* iface, IStorage*)
{
    return stream_InitNew(&impl_from_IPersistStorage(iface)->IPersistStreamInit_iface);
}

HRESULT STDMETHODCALLTYPE storage_Load(IPersistStorage* iface, IStorage* storage)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStorage(iface)); FAILED(hr))
        return hr;
    if (!storage)
        return E_POINTER;
    IStream* stream = nullptr;
    const HRESULT hr = IStorage_OpenStream(storage, contents_stream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                           &stream);
    if (FAILED(hr))
        return hr;
    const HRESULT loaded = load_state(impl_from_IPersistStorage(iface), stream);
    IStream_Release(stream);
    return loaded;
}

HRESULT STDMETHODCALLTYPE storage_Save(IPersistStorage* iface, IStorage* storage, BOOL same_as_load)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStorage(iface)); FAILED(hr))
        return hr;
    if (!storage)
        return E_POINTER;
    IStream* stream = nullptr;
    const HRESULT hr = IStorage_CreateStream(storage, contents_stream,
                                             STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(hr))
        return hr;
    const HRESULT saved = save_state(impl_from_IPersistStorage(iface), stream, same_as_load);
    IStream_Release(stream);
    return saved;
}

HRESULT STDMETHODCALLTYPE storage_SaveCompleted(IPersistStorage* iface, IStorage*)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStorage(iface)); FAILED(hr))
        return hr;
    return S_OK;  // the control keeps no storage between calls
}

HRESULT STDMETHODCALLTYPE storage_HandsOffStorage(IPersistStorage* iface)
{
    if (const HRESULT hr = check_thread(impl_from_IPersistStorage(iface)); FAILED(hr))
        return hr;
    return S_OK;
}

} // namespace

const IPersistStreamInitVtbl kelm_persiststream_vtbl = {
    Outer_Unknown<IPersistStreamInit, impl_from_IPersistStreamInit>::QueryInterface,
    Outer_Unknown<IPersistStreamInit, impl_from_IPersistStreamInit>::AddRef,
    Outer_Unknown<IPersistStreamInit, impl_from_IPersistStreamInit>::Release,
    stream_GetClassID,
    stream_IsDirty,
    stream_Load,
    stream_Save,
    stream_GetSizeMax,
    stream_InitNew,
};

const IPersistStorageVtbl kelm_persiststorage_vtbl = {
    Outer_Unknown<IPersistStorage, impl_from_IPersistStorage>::QueryInterface,
    Outer_Unknown<IPersistStorage, impl_from_IPersistStorage>::AddRef,
    Outer_Unknown<IPersistStorage, impl_from_IPersistStorage>::Release,
    storage_GetClassID,
    storage_IsDirty,
    storage_InitNew,
    storage_Load,
    storage_Save,
    storage_SaveCompleted,
    storage_HandsOffStorage,
};
