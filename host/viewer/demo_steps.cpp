// The viewer's demonstration steps, all through the control's IDispatch.
#include "demo_steps.h"

#include <cstdio>
#include <string>

#include "dispatch_call.h"

namespace {

const int demo_panes = 4;
const DWORD recording_ms = 3000;

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

void activate_pane(IDispatch* control, int pane)
{
    Variant index(pane);
    if (call_method(control, L"active_nth_screen", {&index}) != S_OK)
        fwprintf(stderr, L"kelm-viewer: pane %d cannot be made active\n", pane);
}

// A script sees no handle and no S_FALSE; the pane's record tells whether
// the channel opened.
void open_demo_channels(IDispatch* control, const wchar_t* server)
{
    Variant address(server);
    for (int pane = 0; pane < demo_panes; ++pane) {
        activate_pane(control, pane);
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
