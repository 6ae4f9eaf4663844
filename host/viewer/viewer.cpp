// kelm-viewer: a small host that creates the control by its ProgID in the
// standard ActiveX container (atl.dll's AtlAxWin window), drives it by name
// through IDispatch only, and saves a screenshot.  kelm.dll must have been
// registered (regsvr32 kelm.dll).
//
//   kelm-viewer.exe [--server ADDRESS] [--media DIR] [--screenshot PATH]
//                   [--outage LOST-PATH] [--interactive]
//
// It shows the control in four-pane mode, logs in to the server as its
// operator, opens channels 1 to 4 of the server in the four panes, puts an
// on-screen text on the first and moves the second pane's camera, makes
// the second pane active, records it for a few seconds and takes a
// snapshot into DIR, saves the window as a PNG at PATH and prints where
// everything went.  With --outage it then watches the panes while the
// demo script stalls one of them, saves the window with the lost pane at
// LOST-PATH and prints when the pane was lost and live again.  With
// --interactive the window stays open for a person
// to use until it is closed.
#include <cstdio>
#include <cwchar>
#include <ole2.h>
#include <windows.h>

#include "ax_container.h"
#include "com_ptr.h"
#include "demo_steps.h"
#include "outage_watch.h"
#include "screenshot.h"

namespace {

const wchar_t viewer_class[] = L"kelm_viewer";
const wchar_t control_prog_id[] = L"kelm.kelm_ctrl";
const int view_width = 641;
const int view_height = 481;

struct Options {
    const wchar_t* server = nullptr;
    const wchar_t* media = nullptr;
    const wchar_t* screenshot = nullptr;
    const wchar_t* outage_screenshot = nullptr;
    bool interactive = false;
};

const int active_pane = 1;
// A stalled stream is lost within 6 s and back within 3 s of its server
// answering; the rest is the script's own pace.
const DWORD outage_limit_ms = 30000;

bool parse_options(int argc, wchar_t** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--screenshot") == 0 && i + 1 < argc)
            options->screenshot = argv[++i];
        else if (wcscmp(argv[i], L"--server") == 0 && i + 1 < argc)
            options->server = argv[++i];
        else if (wcscmp(argv[i], L"--outage") == 0 && i + 1 < argc)
            options->outage_screenshot = argv[++i];
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
    // The container window, and with it the control, fills the frame.
    if (message == WM_SIZE) {
        HWND container = GetWindow(window, GW_CHILD);
        if (container)
            (void)MoveWindow(container, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);  // best effort while resizing
        return 0;
    }
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

// The control in its container, filling the frame's client area.
IDispatch* create_control(Ax_Container& container, HWND frame)
{
    if (!container.ready()) {
        fwprintf(stderr, L"kelm-viewer: atl.dll offers no ActiveX container\n");
        return nullptr;
    }
    RECT client;
    GetClientRect(frame, &client);
    HWND host = container.create(frame, control_prog_id, client);
    IDispatch* control = host ? container.control(host) : nullptr;
    if (!control)
        fwprintf(stderr, L"kelm-viewer: cannot create %ls (is kelm.dll registered?)\n", control_prog_id);
    return control;
}

int save_screenshot(HWND frame, const wchar_t* path)
{
    const HRESULT hr = save_window_png(frame, path);
    if (FAILED(hr)) {
        fwprintf(stderr, L"kelm-viewer: cannot save the screenshot (hr %08lx)\n", hr);
        return 1;
    }
    wprintf(L"screenshot: %ls\n", path);
    return 0;
}

void run_demo(IDispatch* control, const Options& options)
{
    arrange_demo(control);
    if (options.server) {
        log_in(control, options.server);
        open_demo_channels(control, options.server);
        change_settings(control);
    }
    (void)activate_pane(control, active_pane);  // a refusal is reported on standard error
    if (options.server && options.media)
        record_and_capture(control, options.media);
    pump_for(700);
}

int run(const Options& options)
{
    HWND frame = create_frame();
    if (!frame) {
        fwprintf(stderr, L"kelm-viewer: cannot create the window (%lu)\n", GetLastError());
        return 1;
    }
    ShowWindow(frame, SW_SHOWNORMAL);
    Ax_Container container;
    Com_Ptr<IDispatch> control;
    *control.put() = create_control(container, frame);
    int status = 1;
    if (control) {
        run_demo(control.get(), options);
        status = options.screenshot ? save_screenshot(frame, options.screenshot) : 0;
        if (options.outage_screenshot &&
            !watch_outage(control.get(), demo_panes, outage_limit_ms,
                          [&] { status |= save_screenshot(frame, options.outage_screenshot); })) {
            fwprintf(stderr, L"kelm-viewer: no pane was lost and live again\n");
            status = 1;
        }
        if (options.interactive)
            status |= run_message_loop();
    }
    // Destroying the frame destroys the container, which closes the control.
    (void)DestroyWindow(frame);  // at the end of the run there is nothing left to do about a failure
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!parse_options(argc, argv, &options)) {
        fwprintf(stderr, L"usage: kelm-viewer.exe [--server ADDRESS] [--media DIR] "
                         L"[--screenshot PATH] [--outage LOST-PATH] [--interactive]\n");
        return 2;
    }
    // A container of OLE controls needs OLE, not only COM.
    const HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) {
        fwprintf(stderr, L"kelm-viewer: OLE did not start (hr %08lx)\n", hr);
        return 1;
    }
    const int status = run(options);
    OleUninitialize();
    return status;
}
