// Dispatch members of the view: the split mode.
#include "kelm_ctrl.h"

#include "split_layout.h"

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
