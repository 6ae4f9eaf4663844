#include "full_screen.h"

// The frame's own size changes answer WM_SIZE, where the frame asks
// active(): it is set before the first change and cleared before the
// first change back.  A maximised frame loses its maximised state while
// full screen (else it is restored to its normal size at once), and the
// placement gives it back.  The window calls below fail only for a frame
// that is gone, when there is nothing left to show.
bool Full_Screen::enter(HWND frame)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    placement.length = sizeof placement;
    if (on || !GetWindowPlacement(frame, &placement) ||
        !GetMonitorInfoW(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    style = GetWindowLongPtrW(frame, GWL_STYLE);
    menu = GetMenu(frame);
    on = true;
    (void)SetMenu(frame, nullptr);  // the menu stays alive, kept for the way back
    (void)SetWindowLongPtrW(frame, GWL_STYLE, style & ~(WS_OVERLAPPEDWINDOW | WS_MAXIMIZE));
    const RECT& screen = monitor.rcMonitor;
    (void)SetWindowPos(frame, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
                       screen.bottom - screen.top, SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    return true;
}

void Full_Screen::leave(HWND frame)
{
    if (!on)
        return;
    on = false;
    (void)SetWindowLongPtrW(frame, GWL_STYLE, style & ~WS_MAXIMIZE);
    (void)SetMenu(frame, menu);
    (void)SetWindowPlacement(frame, &placement);
    (void)SetWindowPos(frame, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
}
