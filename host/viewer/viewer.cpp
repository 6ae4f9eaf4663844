// kelm-viewer: a small container that hosts the control in its window the
// way an application would, drives it, and saves a screenshot.
//
//   kelm-viewer.exe [--server ADDRESS] [--media DIR] [--screenshot PATH]
//                   [--interactive]
//
// It shows the control in four-pane mode, opens channels 1 to 4 of the
// server in the four panes, makes the second pane active, records it for a
// few seconds and takes a snapshot into DIR, saves the window as a PNG at
// PATH and prints where everything went.  With --interactive the window
// stays open for a person to use until it is closed.
#include <cstdio>
#include <cwchar>
#include <string>
#include <objbase.h>
#include <windows.h>

#include "kelm_ctrl.h"
#include "screenshot.h"

namespace {

const wchar_t viewer_class[] = L"kelm_viewer";
const int view_width = 641;
const int view_height = 481;

struct Options {
    const wchar_t* server = nullptr;
    const wchar_t* media = nullptr;
    const wchar_t* screenshot = nullptr;
    bool interactive = false;
};

const int demo_panes = 4;
const int active_pane = 1;
const DWORD recording_ms = 3000;

bool parse_options(int argc, wchar_t** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--screenshot") == 0 && i + 1 < argc)
            options->screenshot = argv[++i];
        else if (wcscmp(argv[i], L"--server") == 0 && i + 1 < argc)
            options->server = argv[++i];
        else if (wcscmp(argv[i], L"--media") == 0 && i + 1 < argc)
            options->media = argv[++i];
        else if (wcscmp(argv[i], L"--interactive") == 0)
            options->interactive = true;
        else
            return false;
    }
    return options->screenshot != nullptr || options->interactive;
}

LRESULT CALLBACK viewer_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND create_frame()
{
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = viewer_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = viewer_class;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!RegisterClassW(&window_class))
        return nullptr;
    RECT frame = {0, 0, view_width + 4, view_height + 4};
    (void)AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowW(viewer_class, L"kelm viewer", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         20, 20, frame.right - frame.left, frame.bottom - frame.top,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

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

// Four panes filling the window.
void arrange_demo(kelm_ctrl& control, HWND frame)
{
    HWND view = control.window();
    RECT client;
    GetClientRect(frame, &client);
    (void)MoveWindow(view, 0, 0, client.right, client.bottom, TRUE);
    if (control.put_ScreenMode(demo_panes) != S_OK)
        fwprintf(stderr, L"kelm-viewer: the split mode was refused\n");
}

// Channels 1 to 4 of the server in panes 0 to 3, through the control's own
// members as a host would call them.
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

// A few seconds of the active pane recorded, and one snapshot of it.
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

int run_message_loop()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int run(const Options& options)
{
    HWND frame = create_frame();
    if (!frame) {
        fwprintf(stderr, L"kelm-viewer: cannot create the window (%lu)\n", GetLastError());
        return 1;
    }
    ShowWindow(frame, SW_SHOWNORMAL);
    kelm_ctrl control;
    if (!control.create_window(frame)) {
        fwprintf(stderr, L"kelm-viewer: cannot create the control's window (%lu)\n", GetLastError());
        return 1;
    }
    arrange_demo(control, frame);
    if (options.server)
        open_demo_channels(control, options.server);
    (void)control.active_nth_screen(active_pane);
    if (options.server && options.media)
        record_and_capture(control, options.media);
    pump_for(700);
    int status = 0;
    if (options.screenshot) {
        const HRESULT hr = save_window_png(frame, options.screenshot);
        if (FAILED(hr)) {
            fwprintf(stderr, L"kelm-viewer: cannot save the screenshot (hr %08lx)\n", hr);
            status = 1;
        } else {
            wprintf(L"screenshot: %ls\n", options.screenshot);
        }
    }
    if (options.interactive)
        status |= run_message_loop();
    control.destroy_window();
    DestroyWindow(frame);
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!parse_options(argc, argv, &options)) {
        fwprintf(stderr, L"usage: kelm-viewer.exe [--server ADDRESS] [--media DIR] "
                         L"[--screenshot PATH] [--interactive]\n");
        return 2;
    }
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        fwprintf(stderr, L"kelm-viewer: COM did not start (hr %08lx)\n", hr);
        return 1;
    }
    const int status = run(options);
    CoUninitialize();
    return status;
}
