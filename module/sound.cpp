// The control's sound for C and C++ hosts.
//
// Implements: Ikelm_sound.
//
// Each entry checks the calling thread and hands the call to kelm_ctrl,
// as the dispatch interface's entries do.
#include "kelm_object.h"

#include "kelm_ctrl.h"

namespace {

Kelm_Object* impl_from_Ikelm_sound(Ikelm_sound* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, Ikelm_sound_iface);
}

template <class... Args>
struct Sound_Entry {
    template <HRESULT (kelm_ctrl::*Member)(Args...)>
    static HRESULT STDMETHODCALLTYPE call(Ikelm_sound* iface, Args... args)
    {
        Kelm_Object* object = impl_from_Ikelm_sound(iface);
        if (const HRESULT hr = check_thread(object); FAILED(hr))
            return hr;
        return (object->control->*Member)(args...);
    }
};

using Unknown = Outer_Unknown<Ikelm_sound, impl_from_Ikelm_sound>;

} // namespace

const Ikelm_soundVtbl kelm_sound_vtbl = {
    Unknown::QueryInterface,
    Unknown::AddRef,
    Unknown::Release,
    Sound_Entry<LONG*>::call<&kelm_ctrl::get_sound_volume>,
    Sound_Entry<LONG>::call<&kelm_ctrl::put_sound_volume>,
    Sound_Entry<LONG*>::call<&kelm_ctrl::get_sounding_pane>,
};
