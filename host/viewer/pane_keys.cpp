#include "pane_keys.h"

#include "session.h"

bool is_arrow_key(WPARAM key)
{
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

int neighbour_pane(int pane, int panes, WPARAM key)
{
    if (pane < 0 || pane >= panes)
        return 0;
    const int side = layout_side(panes);
    int column = pane % side, row = pane / side;
    if (key == VK_LEFT && column > 0)
        --column;
    else if (key == VK_RIGHT && column < side - 1)
        ++column;
    else if (key == VK_UP && row > 0)
        --row;
    else if (key == VK_DOWN && row < side - 1)
        ++row;
    return row * side + column;
}

// A control says which keys it wants as the dialog manager asks it.
bool focus_takes_key(const MSG& message, HWND panel)
{
    HWND focus = GetFocus();
    if (!focus)
        return false;
    const LRESULT wanted =
        SendMessageW(focus, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
    if (wanted & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
        return true;
    if (is_arrow_key(message.wParam))
        return (wanted & DLGC_WANTARROWS) != 0;
    // In the panel Enter opens the chosen channel or presses the focused button.
    return focus == panel || IsChild(panel, focus);
}
