// kelm-script.exe [--verbose] FILE.vbs|FILE.js [ARGUMENT ...]: runs a
// script with the control in a window, so that everything a control can do
// only with a window (channels, snapshots, PTZ) works from a script.  The
// script reaches the control as the named object "kelm" and the Windows
// Script Host's Echo, Quit, Sleep and Arguments as "WScript".  The exit
// status is the script's (WScript.Quit), 0 when it ran to its end, 1 after
// a script error, 2 for wrong arguments and 3 when the control could not
// be created.  The control's echo of its log on standard error is sent to
// NUL unless --verbose is given (quiet_errors.h).
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ax_container.h"
#include "com_ptr.h"
#include "quiet_errors.h"
#include "script_file.h"
#include "script_host.h"
#include "script_run.h"

namespace {

const wchar_t frame_class[] = L"kelm_script_frame";
const int frame_width = 680;
const int frame_height = 540;
HWND frame = nullptr;

LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_SIZE) {
        HWND container = GetWindow(window, GW_CHILD);
        if (container)
            (void)MoveWindow(container, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);  // the container resizes the control
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND make_frame(const wchar_t* script)
{
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = frame_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.lpszClassName = frame_class;
    if (!RegisterClassW(&window_class))
        return nullptr;
    const std::wstring title = std::wstring(L"kelm-script: ") + script;
    return CreateWindowExW(0, frame_class, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, frame_width, frame_height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The control goes with its window, before the process ends.
void close_frame()
{
    if (frame)
        (void)DestroyWindow(frame);  // its container closes the control
    frame = nullptr;
}

int usage()
{
    fputws(L"usage: kelm-script [--verbose] FILE.vbs|FILE.js [ARGUMENT ...]\n"
           L"Runs the script with the kelm control in a window: the script reaches the\n"
           L"control as \"kelm\" and WScript.Echo, Quit, Sleep and Arguments as in cscript.\n"
           L"The arguments after FILE are the script's.\n"
           L"  --verbose  also show the control's log on standard error (it is always\n"
           L"             written to the log file c:\\kelm.log); without it only the\n"
           L"             script's output and errors and kelm-script's messages are shown\n",
           own_errors());
    return 2;
}

int run(const wchar_t* path, const std::vector<std::wstring>& arguments)
{
    const wchar_t* engine = engine_for(path);
    std::wstring text;
    if (!engine)
        return usage();
    if (!read_script(path, &text)) {
        fwprintf(own_errors(), L"kelm-script: cannot read %ls\n", path);
        return 2;
    }
    Ax_Container container;
    frame = container.ready() ? make_frame(path) : nullptr;
    RECT client = {0, 0, frame_width, frame_height};
    if (frame)
        (void)GetClientRect(frame, &client);  // keeps the default size when it fails
    HWND host = frame ? container.create(frame, L"kelm.kelm_ctrl", client) : nullptr;
    Com_Ptr<IDispatch> control;
    if (host)
        *control.put() = container.control(host);
    if (!control) {
        fputws(L"kelm-script: the control could not be created: register kelm.dll (install.cmd), and keep "
               L"hikclient.dll in the same folder\n", own_errors());
        close_frame();
        return 3;
    }
    Com_Ptr<IDispatch> script_host;
    *script_host.put() = make_script_host(arguments, close_frame);
    if (!script_host) {
        close_frame();
        return 1;
    }
    const bool ran = run_script(engine, text, path, {{L"kelm", control.get()}, {L"WScript", script_host.get()}},
                                frame);
    control.reset();
    close_frame();
    return ran ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // --verbose counts only before the script's name: every argument after
    // it is the script's own.
    const bool verbose = argc > 1 && wcscmp(argv[1], L"--verbose") == 0;
    const int script = verbose ? 2 : 1;
    if (argc <= script || wcscmp(argv[script], L"--help") == 0)
        return usage();
    // Before the control exists, so that none of its log reaches the console.
    if (!verbose && !quiet_standard_error())
        fputws(L"kelm-script: NUL could not be opened; the control's log is shown\n", own_errors());
    if (FAILED(OleInitialize(nullptr))) {
        fputws(L"kelm-script: OLE could not be started\n", own_errors());
        return 1;
    }
    const int status = run(argv[script], std::vector<std::wstring>(argv + script + 1, argv + argc));
    OleUninitialize();
    return status;
}
