// The viewer's demonstration steps, through the window's own commands and,
// for the on-screen text, the control's IDispatch.
#include "demo_steps.h"

#include <cstdio>

#include "dispatch_call.h"
#include "main_window.h"
#include "quiet_errors.h"
#include "resource.h"

namespace {

const DWORD recording_ms = 3000;
const DWORD camera_move_ms = 1200;
const wchar_t demo_caption[] = L"kelm demo: gate 1";
const int camera_pane = 1;

// A member's failure told on standard error; the demo goes on.
void report(HRESULT result, const wchar_t* what)
{
    if (result != S_OK)
        fwprintf(own_errors(), L"kelm-viewer: %ls failed (hr %08lx)\n", what, static_cast<unsigned long>(result));
}

// A camera button held for a moment and let go.
void hold_camera_button(Main_Window& window, int id)
{
    window.press(id);
    pump_for(camera_move_ms);
    window.release();
}

void show_caption(IDispatch* control)
{
    report(put_property(control, L"osd_text", Variant(demo_caption)), L"osd_text");
    report(put_property(control, L"enable_osd_date", Variant(1)), L"enable_osd_date");
    report(put_property(control, L"enable_osd_time", Variant(1)), L"enable_osd_time");
    report(put_property(control, L"osd_pos", Variant(0)), L"osd_pos");  // sends the on-screen settings
}

} // namespace

// A script sees no S_FALSE: the active pane's number tells whether the
// choice took.
bool activate_pane(IDispatch* control, int pane)
{
    Variant index(pane), active;
    if (FAILED(call_method(control, L"active_nth_screen", {&index})) ||
        FAILED(get_property(control, L"current_screen_num", &active)) || active.number() != pane) {
        fwprintf(own_errors(), L"kelm-viewer: pane %d cannot be made active\n", pane);
        return false;
    }
    return true;
}

void run_demo_steps(Main_Window& window)
{
    IDispatch* control = window.control_dispatch();
    if (activate_pane(control, 0))
        show_caption(control);
    if (!activate_pane(control, camera_pane))
        return;
    hold_camera_button(window, ID_PTZ_LEFT);
    hold_camera_button(window, ID_PTZ_TELE);
    window.command(ID_RECORD);
    pump_for(recording_ms);
    window.command(ID_RECORD);
    window.command(ID_SNAPSHOT);
}
