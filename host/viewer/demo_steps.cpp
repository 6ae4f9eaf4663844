// The viewer's demonstration steps, all through the control's own members.
#include "demo_steps.h"

#include <cstdio>
#include <oleauto.h>
#include <string>

#include "kelm_ctrl.h"

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

