#include "pane_zoom.h"

#include "session.h"

namespace {

// The control's window and the pane window it shows at the middle of pane
// `pane`'s cell; the control lays its grid over its whole client area.
HWND shown_pane(HWND control_host, int panes, int pane, HWND* control_window)
{
    *control_window = GetWindow(control_host, GW_CHILD);
    RECT view;
    if (!*control_window || pane < 0 || pane >= panes || !GetClientRect(*control_window, &view))
        return nullptr;
    const int side = layout_side(panes);
    const POINT middle = {(2 * (pane % side) + 1) * view.right / (2 * side),
                          (2 * (pane / side) + 1) * view.bottom / (2 * side)};
    HWND found = ChildWindowFromPointEx(*control_window, middle, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    return found == *control_window ? nullptr : found;
}

} // namespace

bool pane_zoomed(HWND control_host, int panes, int pane)
{
    HWND control_window = nullptr;
    HWND shown = shown_pane(control_host, panes, pane, &control_window);
    RECT view, rect;
    if (!shown || panes <= 1 || !GetClientRect(control_window, &view) || !GetWindowRect(shown, &rect))
        return false;
    // A pane in its cell is a side's share of the view wide; a zoomed one all of it.
    return (rect.right - rect.left) * layout_side(panes) > view.right * 3 / 2;
}

bool toggle_pane_zoom(HWND control_host, int panes, int pane)
{
    HWND control_window = nullptr;
    HWND shown = shown_pane(control_host, panes, pane, &control_window);
    if (!shown)
        return false;
    // The control answers the notification and nothing else can be learnt from the answer.
    (void)SendMessageW(control_window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(shown), STN_DBLCLK),
                       reinterpret_cast<LPARAM>(shown));
    return true;
}
