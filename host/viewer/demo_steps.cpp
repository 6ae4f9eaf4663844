// The viewer's demonstration steps, all through the control's own members.
#include "demo_steps.h"

#include <cstdio>
#include <oleauto.h>
#include <string>

#include "kelm_ctrl.h"

namespace {

const int demo_panes = 4;
const DWORD recording_ms = 3000;
const DWORD camera_move_ms = 1200;
const wchar_t demo_user[] = L"operator";
const wchar_t demo_password[] = L"op";
const wchar_t demo_caption[] = L"kelm demo: gate 1";
const LONG camera_speed = 5;

// A member's failure told on standard error; the demo goes on.
void report(HRESULT result, const wchar_t* what)
{
    if (result != S_OK)
        fwprintf(stderr, L"kelm-viewer: %ls failed (hr %08lx)\n", what, static_cast<unsigned long>(result));
}

// Runs one camera move for a moment and stops it.
void move_camera(kelm_ctrl& control, HRESULT (kelm_ctrl::*move)(), const wchar_t* what)
{
    report((control.*move)(), what);
    pump_for(camera_move_ms);
    report(control.ptz_stop(), L"ptz_stop");
}

// Prints the newest file of `folder` that matches `pattern`.
void print_newest(const wchar_t* label, const wchar_t* folder, const wchar_t* pattern)
{
    WIN32_FIND_DATAW found;
    std::wstring query = std::wstring(folder) + L"\\" + pattern;
    HANDLE search = FindFirstFileW(query.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        fwprintf(stderr, L"kelm-viewer: no %ls was saved\n", label);
        return;
    }
    std::wstring newest = found.cFileName;
    FILETIME newest_time = found.ftLastWriteTime;
    while (FindNextFileW(search, &found)) {
        if (CompareFileTime(&found.ftLastWriteTime, &newest_time) > 0) {
            newest = found.cFileName;
            newest_time = found.ftLastWriteTime;
        }
    }
    FindClose(search);
    wprintf(L"%ls: %ls\\%ls\n", label, folder, newest.c_str());
}

} // namespace

void pump_for(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

void arrange_demo(kelm_ctrl& control, HWND frame)
{
    HWND view = control.window();
    RECT client;
    GetClientRect(frame, &client);
    (void)MoveWindow(view, 0, 0, client.right, client.bottom, TRUE);
    if (control.put_ScreenMode(demo_panes) != S_OK)
        fwprintf(stderr, L"kelm-viewer: the split mode was refused\n");
}

void open_demo_channels(kelm_ctrl& control, const wchar_t* server)
{
    BSTR address = SysAllocString(server);
    for (int pane = 0; pane < demo_panes; ++pane) {
        if (control.active_nth_screen(static_cast<SHORT>(pane)) != S_OK)
            continue;
        const HRESULT handle = control.open_channel(address, pane + 1);
        if (handle == S_FALSE)
            fwprintf(stderr, L"kelm-viewer: channel %d of %ls did not open\n", pane + 1, server);
    }
    SysFreeString(address);
}

void record_and_capture(kelm_ctrl& control, const wchar_t* media)
{
    BSTR folder = SysAllocString(media);
    const HRESULT stored = control.set_file_path(folder);
    SysFreeString(folder);
    if (stored != S_OK) {
        fwprintf(stderr, L"kelm-viewer: the media folder %ls was refused\n", media);
        return;
    }
    (void)control.start_recorde(0);  // failures stay in the channel's error
    pump_for(recording_ms);
    (void)control.stop_recorde(0);
    (void)control.capture();
    print_newest(L"recording", media, L"*.mp4");
    print_newest(L"snapshot", media, L"*.jpg");
}


void log_in(kelm_ctrl& control, const wchar_t* server)
{
    BSTR address = SysAllocString(server);
    BSTR user = SysAllocString(demo_user);
    BSTR password = SysAllocString(demo_password);
    report(control.login(address, user, password), L"login");
    SysFreeString(address);
    SysFreeString(user);
    SysFreeString(password);
    LONG mask = 0;
    report(control.get_privilege(&mask), L"privilege");
    wprintf(L"privilege mask of %ls: 0x%04lx\n", demo_user, static_cast<unsigned long>(mask));
}

void change_settings(kelm_ctrl& control)
{
    if (control.active_nth_screen(0) == S_OK) {
        BSTR caption = SysAllocString(demo_caption);
        report(control.put_osd_text(caption), L"osd_text");
        SysFreeString(caption);
        report(control.put_enable_osd_date(TRUE), L"enable_osd_date");
        report(control.put_enable_osd_time(TRUE), L"enable_osd_time");
        report(control.put_osd_pos(0), L"osd_pos");  // sends the on-screen settings
    }
    if (control.active_nth_screen(1) == S_OK) {
        report(control.put_ptz_speed(camera_speed), L"ptz_speed");
        move_camera(control, &kelm_ctrl::ptz_left, L"ptz_left");
        move_camera(control, &kelm_ctrl::ptz_tele, L"ptz_tele");
    }
}
