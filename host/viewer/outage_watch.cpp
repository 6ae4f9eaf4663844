#include "outage_watch.h"

#include <cstdio>
#include <vector>

#include "demo_steps.h"
#include "dispatch_call.h"

namespace {

const DWORD watch_step_ms = 100;
const DWORD lost_picture_delay_ms = 600;

bool pane_live(IDispatch* control, int pane)
{
    Variant index(pane), info;
    return SUCCEEDED(call_method(control, L"get_screen_state", {&index})) &&
           SUCCEEDED(get_property(control, L"screen_state_info", &info)) && !info.text().empty();
}

void print_change(int pane, const wchar_t* what)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wprintf(L"pane %d %ls at %02u:%02u:%02u.%03u\n", pane, what, now.wHour, now.wMinute, now.wSecond,
            now.wMilliseconds);
    (void)fflush(stdout);  // the demo script reacts to these lines as they come
}

} // namespace

bool watch_outage(IDispatch* control, int panes, DWORD limit_ms, const std::function<void()>& on_lost)
{
    std::vector<bool> live(panes), was_lost(panes, false);
    for (int pane = 0; pane < panes; ++pane)
        live[pane] = pane_live(control, pane);
    wprintf(L"watching panes 0 to %d\n", panes - 1);
    (void)fflush(stdout);
    const DWORD start = GetTickCount();
    bool shown = false;
    while (GetTickCount() - start < limit_ms) {
        pump_for(watch_step_ms);
        for (int pane = 0; pane < panes; ++pane) {
            const bool now_live = pane_live(control, pane);
            if (now_live == live[pane])
                continue;
            live[pane] = now_live;
            print_change(pane, now_live ? L"live again" : L"lost");
            if (now_live && was_lost[pane])
                return true;
            was_lost[pane] = was_lost[pane] || !now_live;
            if (!now_live && !shown) {
                pump_for(lost_picture_delay_ms);
                on_lost();
                shown = true;
            }
        }
    }
    return false;
}
