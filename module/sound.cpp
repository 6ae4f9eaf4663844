// The control's sound for C and C++ hosts.
//
// Implements: Ikelm_sound.
#include "kelm_object.h"

#include "kelm_ctrl.h"

namespace {

Kelm_Object* impl_from_Ikelm_sound(Ikelm_sound* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, Ikelm_sound_iface);
}

template <class... Args>
using Sound_Entry = Control_Entry<Ikelm_sound, impl_from_Ikelm_sound, Args...>;

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
