#include "control_wall.h"

#include "dispatch_call.h"

Control_Wall::Control_Wall(IDispatch* control)
{
    // Without the interface every call below answers as for an empty wall.
    (void)control->QueryInterface(IID_Ikelm_wall, reinterpret_cast<void**>(wall.put()));
}

bool Control_Wall::show_captions(bool shown)
{
    return wall && wall->put_captions(shown ? VARIANT_TRUE : VARIANT_FALSE) == S_OK;
}

bool Control_Wall::label_server(const std::wstring& address, const std::wstring& label)
{
    if (!wall)
        return false;
    const Variant server(address.c_str()), name(label.c_str());  // each owns its BSTR
    return wall->label_server(server.ref().bstrVal, name.ref().bstrVal) == S_OK;
}

std::wstring Control_Wall::reason(int pane) const
{
    LONG kind = 0;
    BSTR text = nullptr;
    if (!wall || wall->get_pane_reason(pane, &kind, &text) != S_OK)
        return std::wstring();
    const std::wstring sentence = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return sentence;
}

Pane_Health Control_Wall::health(int pane) const
{
    Pane_Health health;
    LONG state = 0, seconds = 0;
    if (!wall || wall->get_pane_health(pane, &state, &seconds) != S_OK)
        return health;
    health.state = state == 1 ? Pane_State::live : state == 0 ? Pane_State::closed : Pane_State::lost;
    health.reconnecting = state == 3;
    health.lost_seconds = seconds > 0 ? static_cast<DWORD>(seconds) : 0;
    return health;
}
