// What a host showing a wall of several servers needs, for C and C++
// hosts: pane captions, server labels and each pane's health.
//
// Implements: Ikelm_wall.
#include "kelm_object.h"

#include "kelm_ctrl.h"

namespace {

Kelm_Object* impl_from_Ikelm_wall(Ikelm_wall* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, Ikelm_wall_iface);
}

template <class... Args>
using Wall_Entry = Control_Entry<Ikelm_wall, impl_from_Ikelm_wall, Args...>;

using Unknown = Outer_Unknown<Ikelm_wall, impl_from_Ikelm_wall>;

} // namespace

const Ikelm_wallVtbl kelm_wall_vtbl = {
    Unknown::QueryInterface,
    Unknown::AddRef,
    Unknown::Release,
    Wall_Entry<VARIANT_BOOL*>::call<&kelm_ctrl::get_captions>,
    Wall_Entry<VARIANT_BOOL>::call<&kelm_ctrl::put_captions>,
    Wall_Entry<BSTR, BSTR>::call<&kelm_ctrl::label_server>,
    Wall_Entry<LONG, LONG*, LONG*>::call<&kelm_ctrl::get_pane_health>,
    Wall_Entry<LONG, LONG*, BSTR*>::call<&kelm_ctrl::get_pane_reason>,
};
