// Dispatch members of the view: the split mode, the active pane and what a
// pane shows.
#include "kelm_ctrl.h"

#include "bstr_text.h"
#include "channel_impl.h"
#include "screen.h"
#include "split_layout.h"
#include "text_convert.h"

HRESULT kelm_ctrl::get_ScreenMode(LONG* mode)
{
    if (!mode)
        return E_POINTER;
    if (!allowed(Gated_Member::ScreenMode))
        return S_FALSE;
    *mode = layout ? layout->get_mode() : 0;
    return S_OK;
}

// A mode other than 1, 4, 9 or 16 is refused and the current layout stays.
// The active pane is kept even when the new mode does not show it.
HRESULT kelm_ctrl::put_ScreenMode(LONG mode)
{
    if (!allowed(Gated_Member::ScreenMode) || !is_split_mode(mode))
        return S_FALSE;
    if (!layout || mode == layout->get_mode())
        return S_OK;
    Split_Layout* next = make_split_layout(mode, &screens);
    if (!next)
        return E_OUTOFMEMORY;
    delete layout;  // hides the panes it showed
    layout = next;
    layout->arrange();
    return S_OK;
}

HRESULT kelm_ctrl::active_nth_screen(SHORT nth)
{
    if (!allowed(Gated_Member::active_nth_screen))
        return S_FALSE;
    if (!layout || nth < 0 || nth >= layout->get_mode())
        return S_FALSE;
    activate_screen(nth);
    active_index = static_cast<unsigned short>(nth);
    return S_OK;
}

// The index of the active pane; without a window there is none.
HRESULT kelm_ctrl::get_current_screen_num(SHORT* num)
{
    if (!num)
        return E_POINTER;
    if (!allowed(Gated_Member::current_screen_num) || !active_screen)
        return S_FALSE;
    *num = static_cast<SHORT>(active_index);
    return S_OK;
}

// "<address>,<channel>" for a pane whose stream is live: the channel number
// is appended as one code unit, not as digits.  A lost stream, and one being
// started again, build no text.
HRESULT kelm_ctrl::get_screen_state(USHORT num)
{
    if (!allowed(Gated_Member::get_screen_state))
        return S_FALSE;
    screen_state_info.clear();
    if (num >= screens.size() || !screens[num]->channel_open())
        return S_OK;
    Channel_State state;
    if (screens[num]->channel_handle()->get_channel_state(&state) != 0)
        return S_OK;
    wchar_t address[sizeof state.server_ip];
    state.server_ip[sizeof state.server_ip - 1] = '\0';
    if (!ansi_to_wide(state.server_ip, address, sizeof state.server_ip))
        return S_OK;
    screen_state_info = address;
    screen_state_info += L',';
    screen_state_info += static_cast<wchar_t>(state.channel_index & 0xFFFF);
    return S_OK;
}

HRESULT kelm_ctrl::get_screen_state_info(BSTR* info)
{
    if (!info)
        return E_POINTER;
    if (!allowed(Gated_Member::screen_state_info))
        return S_FALSE;
    return return_bstr(screen_state_info, info);
}

HRESULT kelm_ctrl::get_current_active_ch(SHORT* channel)
{
    if (!channel)
        return E_POINTER;
    *channel = pane_channel[active_index];
    return S_OK;
}

HRESULT kelm_ctrl::get_current_active_ipaddr(BSTR* address)
{
    return return_bstr(pane_address[active_index], address);
}
