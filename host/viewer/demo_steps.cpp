// The viewer's demonstration steps, all through the control's IDispatch.
#include "demo_steps.h"

#include <cstdio>
#include <string>

#include "dispatch_call.h"

namespace {

const DWORD recording_ms = 3000;
const DWORD camera_move_ms = 1200;
const wchar_t demo_user[] = L"operator";
const wchar_t demo_password[] = L"op";
const wchar_t demo_caption[] = L"kelm demo: gate 1";
const int camera_speed = 5;

// A member's failure told on standard error; the demo goes on.
void report(HRESULT result, const wchar_t* what)
{
    if (result != S_OK)
        fwprintf(stderr, L"kelm-viewer: %ls failed (hr %08lx)\n", what, static_cast<unsigned long>(result));
}

// Runs one camera move for a moment and stops it.
void move_camera(IDispatch* control, const wchar_t* move)
{
    report(call_method(control, move), move);
    pump_for(camera_move_ms);
    report(call_method(control, L"ptz_stop"), L"ptz_stop");
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

void arrange_demo(IDispatch* control)
{
    if (put_property(control, L"ScreenMode", Variant(demo_panes)) != S_OK)
        fwprintf(stderr, L"kelm-viewer: the split mode was refused\n");
}

// A script sees no S_FALSE: the active pane's number tells whether the
// choice took.
bool activate_pane(IDispatch* control, int pane)
{
    Variant index(pane), active;
    if (FAILED(call_method(control, L"active_nth_screen", {&index})) ||
        FAILED(get_property(control, L"current_screen_num", &active)) || active.number() != pane) {
        fwprintf(stderr, L"kelm-viewer: pane %d cannot be made active\n", pane);
        return false;
    }
    return true;
}

// A script sees no handle and no S_FALSE; the pane's record tells whether
// the channel opened.
void open_demo_channels(IDispatch* control, const wchar_t* server)
{
    Variant address(server);
    for (int pane = 0; pane < demo_panes; ++pane) {
        if (!activate_pane(control, pane))
            continue;
        Variant channel(pane + 1), opened;
        const HRESULT hr = call_method(control, L"open_channel", {&address, &channel});
        if (FAILED(hr) || FAILED(get_property(control, L"current_active_ch", &opened)) ||
            opened.number() != pane + 1)
            fwprintf(stderr, L"kelm-viewer: channel %d of %ls did not open\n", pane + 1, server);
    }
}

void record_and_capture(IDispatch* control, const wchar_t* media)
{
    Variant folder(media), stored, handle(0);
    if (FAILED(call_method(control, L"set_file_path", {&folder})) ||
        FAILED(get_property(control, L"save_filepath", &stored)) || stored.text().empty()) {
        fwprintf(stderr, L"kelm-viewer: the media folder %ls was refused\n", media);
        return;
    }
    // Failures of recording and snapshot stay in the channel's error.
    (void)call_method(control, L"start_recorde", {&handle});
    pump_for(recording_ms);
    (void)call_method(control, L"stop_recorde", {&handle});
    (void)call_method(control, L"capture");
    print_newest(L"recording", media, L"*.mp4");
    print_newest(L"snapshot", media, L"*.jpg");
}

void log_in(IDispatch* control, const wchar_t* server)
{
    Variant address(server), user(demo_user), password(demo_password), mask;
    report(call_method(control, L"login", {&address, &user, &password}), L"login");
    report(get_property(control, L"privilege", &mask), L"privilege");
    wprintf(L"privilege mask of %ls: 0x%04lx\n", demo_user, static_cast<unsigned long>(mask.number()));
}

void change_settings(IDispatch* control)
{
    if (activate_pane(control, 0)) {
        report(put_property(control, L"osd_text", Variant(demo_caption)), L"osd_text");
        report(put_property(control, L"enable_osd_date", Variant(1)), L"enable_osd_date");
        report(put_property(control, L"enable_osd_time", Variant(1)), L"enable_osd_time");
        report(put_property(control, L"osd_pos", Variant(0)), L"osd_pos");  // sends the on-screen settings
    }
    if (activate_pane(control, 1)) {
        report(put_property(control, L"ptz_speed", Variant(camera_speed)), L"ptz_speed");
        move_camera(control, L"ptz_left");
        move_camera(control, L"ptz_tele");
    }
}
