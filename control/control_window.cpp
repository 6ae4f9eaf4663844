// The control's window: window initialisation and teardown, resize, the
// split buttons, pane clicks and double clicks, pane colours and painting.
#include "kelm_ctrl.h"

#include <cstdlib>
#include <new>
#include <ctime>

#include "logger.h"
#include "user_settings.h"
#include "resource.h"
#include "screen.h"
#include "split_layout.h"

namespace {

struct Split_Button {
    int item;
    LONG mode;
};

const Split_Button split_buttons[] = {
    {IDC_SPLIT_1, 1}, {IDC_SPLIT_4, 4}, {IDC_SPLIT_9, 9}, {IDC_SPLIT_16, 16},
};

// The buttons and the group box are placed for a height 36 pixels below the
// client area, so in use the panes fill the whole control.
const int split_controls_offset = 36;

// Every open pane's stream is looked at this often, so a loss shows within
// a fraction of a second and a stream back is followed closely.
const UINT_PTR stream_watch_timer = 1;
const UINT stream_watch_ms = 100;
// Starting a lost stream again takes some milliseconds of the host's thread;
// a tick starts no more once this much of it is spent, the next goes on.
const DWORD reopen_budget_ms = 40;
// A pane that shows a notice instead of video: light text on dark grey.
const COLORREF notice_text_colour = RGB(230, 230, 230);
const COLORREF notice_back_colour = RGB(64, 64, 64);  // the dark grey stock brush's colour

// The active pane's frame, drawn again once a pane showing a notice has
// painted its background over it.
const UINT redraw_active_frame = WM_APP + 1;
// Posted by end_on_window_thread: destroy the window, then free the control.
const UINT end_control = WM_APP + 2;

const int pane_clicked = STN_CLICKED;
const int pane_double_clicked = STN_DBLCLK;

// A dialog procedure reports a message's own result through DWLP_MSGRESULT.
INT_PTR message_result(HWND dialog, LRESULT result)
{
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK kelm_ctrl::dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        auto* control = reinterpret_cast<kelm_ctrl*>(lparam);
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        control->hwnd = dialog;
        {
            boost::mutex::scoped_lock guard(control->end_lock);
            control->window_alive = true;
        }
        control->on_init_dialog();
        return TRUE;
    }
    // Messages that arrive before WM_INITDIALOG find no control yet.
    auto* control = reinterpret_cast<kelm_ctrl*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!control)
        return FALSE;
    if (message == end_control) {
        (void)DestroyWindow(dialog);  // its WM_DESTROY frees the control
        return TRUE;
    }
    if (message == WM_DESTROY) {
        // The control may be freed here: nothing touches it afterwards.
        const End_Request end = control->on_destroy();
        if (end.done)
            end.done(end.context);
        return message_result(dialog, 0);
    }
    INT_PTR result = FALSE;
    if (!control->handle_message(message, wparam, lparam, &result))
        return FALSE;
    return result;
}

bool kelm_ctrl::handle_message(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR* result)
{
    switch (message) {
    case WM_SIZE:
        on_size(LOWORD(lparam), HIWORD(lparam));
        *result = message_result(hwnd, 0);
        return true;
    case WM_COMMAND:
        if (!on_command(LOWORD(wparam), HIWORD(wparam)))
            return false;
        *result = message_result(hwnd, 0);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_RBUTTONDOWN:
        *result = message_result(hwnd, 0);
        return true;
    case WM_CTLCOLORSTATIC:
        *result = on_ctlcolor_static(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
        return true;
    case redraw_active_frame:
        if (active_screen)
            active_screen->draw_frame(true);
        *result = message_result(hwnd, 0);
        return true;
    case WM_TIMER:
        if (wparam != stream_watch_timer)
            return false;
        on_watch_timer();
        *result = message_result(hwnd, 0);
        return true;
    case WM_PAINT:
        on_paint();
        *result = message_result(hwnd, 0);
        return true;
    default:
        return false;
    }
}

void kelm_ctrl::on_init_dialog()
{
    // The channel handles of open_channel come from this generator.
    srand(static_cast<unsigned>(time(nullptr)));
    screens.reserve(pane_count);
    for (int n = 1; n <= pane_count; ++n) {
        Screen* screen = new (std::nothrow) Screen(GetDlgItem(hwnd, pane_item_id(n)));
        if (screen)
            screens.push_back(screen);
    }
    layout = make_split_layout(1, &screens);
    active_screen = screens.empty() ? nullptr : screens.front();
    active_index = 0;
    // Without the log file entries still reach standard error.
    (void)Logger::instance().open(control_log_path);
    reconnect_lost_streams = reconnect_setting();
    // Without the timer nothing would notice a lost stream; a window that
    // cannot have one still shows what it is given.
    if (!SetTimer(hwnd, stream_watch_timer, stream_watch_ms, nullptr))
        Logger::instance().write(log_status, "stream watch timer not set\n");
}

void kelm_ctrl::on_watch_timer()
{
    const DWORD start = GetTickCount();
    for (Screen* screen : screens) {
        const DWORD now = GetTickCount();
        screen->watch(now, reconnect_lost_streams, now - start < reopen_budget_ms);
    }
    update_captions();
}

void kelm_ctrl::on_size(int client_width, int client_height)
{
    layout_width = client_width - 1;
    layout_height = client_height - 1;
    if (layout)
        layout->arrange();
    place_split_controls(client_width, client_height + split_controls_offset);
}

void kelm_ctrl::place_split_controls(int client_width, int extended_height)
{
    (void)MoveWindow(GetDlgItem(hwnd, IDC_SPLIT_GROUP), 2, extended_height - 40,
                     client_width - 8, 34, TRUE);
    for (int j = 0; j < 4; ++j) {
        (void)MoveWindow(GetDlgItem(hwnd, split_buttons[j].item), 8 + 90 * j,
                         extended_height - 30, 70, 20, TRUE);
    }
}

bool kelm_ctrl::on_command(int item, int code)
{
    for (const Split_Button& button : split_buttons) {
        if (button.item == item && code == BN_CLICKED) {
            (void)put_ScreenMode(button.mode);  // a refused change is no error here
            return true;
        }
    }
    const int index = pane_index_of_item(item);
    if (index < 0 || index >= static_cast<int>(screens.size()))
        return false;
    if (code == pane_clicked) {
        activate_screen(index);
        active_index = static_cast<unsigned short>(index);
        return true;
    }
    if (code == pane_double_clicked && layout) {
        screens[index]->toggle_zoom(*layout);
        return true;
    }
    return false;
}

// The panes paint on black, a pane with a notice on dark grey; each colour
// request also redraws the active frame that the previous repaint may have
// wiped.
INT_PTR kelm_ctrl::on_ctlcolor_static(HDC dc, HWND item)
{
    if (active_screen) {
        active_screen->draw_frame(true);
        // The pane fills itself after this answer, over the frame, whatever
        // it shows: live, lost or empty.
        if (active_screen->window() == item)
            (void)PostMessageW(hwnd, redraw_active_frame, 0, 0);  // a full queue only costs the frame
    }
    for (Screen* screen : screens) {
        if (screen->window() == item && screen->notice_shown()) {
            (void)SetTextColor(dc, notice_text_colour);
            (void)SetBkColor(dc, notice_back_colour);
            return reinterpret_cast<INT_PTR>(GetStockObject(DKGRAY_BRUSH));
        }
    }
    return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
}

void kelm_ctrl::on_paint()
{
    for (Screen* screen : screens)
        screen->refresh();
    // The dialog itself draws nothing while it is active in place.
    PAINTSTRUCT paint;
    if (BeginPaint(hwnd, &paint))
        EndPaint(hwnd, &paint);
}

// The window goes: the panes and their streams go with it, and an ending
// asked for by another thread is handed back to be carried out.
kelm_ctrl::End_Request kelm_ctrl::on_destroy()
{
    release_panes();
    boost::mutex::scoped_lock guard(end_lock);
    window_alive = false;
    const End_Request end = end_request;
    end_request = End_Request();
    return end;
}

void kelm_ctrl::release_panes()
{
    if (hwnd) {
        (void)KillTimer(hwnd, stream_watch_timer);  // fails only for a timer never set, or off the window's thread
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);       // no later message reaches the control
    }
    delete layout;  // hides its panes
    layout = nullptr;
    for (Screen* screen : screens)
        delete screen;  // closes the pane's channel
    screens.clear();
    active_screen = nullptr;
    hwnd = nullptr;
}

bool kelm_ctrl::end_on_window_thread(End_Callback done, void* context)
{
    boost::mutex::scoped_lock guard(end_lock);
    if (!window_alive)
        return false;
    end_request.done = done;
    end_request.context = context;
    if (PostMessageW(hwnd, end_control, 0, 0))
        return true;
    // The window's thread ended without destroying it: nobody would take
    // the message, so the caller ends the control.
    end_request = End_Request();
    return false;
}
