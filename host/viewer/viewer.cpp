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
#include <objbase.h>
#include <windows.h>

#include "demo_steps.h"
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

const int active_pane = 1;

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
    if (options.server) {
        log_in(control, options.server);
        open_demo_channels(control, options.server);
        change_settings(control);
    }
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
