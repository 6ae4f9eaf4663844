// kelm example (C++): a window that hosts the control in atl.dll's
// standard ActiveX container and shows a network camera (or any other
// RTSP source) without a DVR, then saves a snapshot of it.
//
//   camera_host_example.exe URL FOLDER [USER PASSWORD] [SECONDS]
//
// URL is the camera's stream URL, rtsp://[user:password@]host[:port]/path
// (at most 255 characters; the camera's manual, its web page or any ONVIF
// tool gives it).  USER and PASSWORD are the camera's login, when it asks
// for one and the URL does not carry it.  FOLDER is where the snapshot
// goes; it is made when missing.  The window stays until it is closed, or
// SECONDS have passed.
//
// kelm.dll must be registered (regsvr32 kelm.dll) with hikclient.dll in
// the same folder.  kelm_h.h and kelm_i.c (the interface and its
// identifiers) come with the control; the calls go through the dual
// interface Ikelm_ctrl.  A camera needs no login call: login asks a DVR's
// web service, which a camera does not have.  A member that fails answers
// S_FALSE, which SUCCEEDED() counts as success: compare with S_OK.
//
// Exit status: 0 done, 2 wrong arguments, 3 the control could not be
// created, 5 the camera did not open, 6 the snapshot was not saved.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "kelm_h.h"

namespace {

const wchar_t frame_class[] = L"kelm_camera_example_frame";

enum Exit_Status { done = 0, usage = 2, no_control = 3, no_camera = 5, no_snapshot = 6 };

typedef BOOL(WINAPI* Ax_Win_Init)();
typedef HRESULT(WINAPI* Ax_Get_Control)(HWND, IUnknown**);

// The frame has a fixed size, so the container inside it never moves; its
// closing ends the message loop.
LRESULT CALLBACK frame_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message != WM_DESTROY)
        return DefWindowProcW(window, message, wparam, lparam);
    PostQuitMessage(0);
    return 0;
}

HWND make_frame()
{
    WNDCLASSW frame = {};
    frame.lpfnWndProc = frame_procedure;
    frame.hInstance = GetModuleHandleW(nullptr);
    frame.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    frame.lpszClassName = frame_class;
    if (!RegisterClassW(&frame))
        return nullptr;
    const DWORD fixed_size = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    return CreateWindowExW(0, frame_class, L"kelm camera example", fixed_size, CW_USEDEFAULT,
                           CW_USEDEFAULT, 680, 540, nullptr, nullptr, frame.hInstance, nullptr);
}

// The control, created by its ProgID in an "AtlAxWin" window inside
// `frame`; null when it could not be created.
Ikelm_ctrl* host_control(HWND frame)
{
    // An unknown name would be taken for a web address by the container.
    CLSID registered;
    if (FAILED(CLSIDFromProgID(L"kelm.kelm_ctrl", &registered)))
        return nullptr;
    HMODULE atl = LoadLibraryW(L"atl.dll");
    if (!atl)
        return nullptr;
    auto init = reinterpret_cast<Ax_Win_Init>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto get_control =
        reinterpret_cast<Ax_Get_Control>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    if (!init || !get_control || !init())
        return nullptr;
    RECT client = {0, 0, 0, 0};
    (void)GetClientRect(frame, &client);  // a frame just made; at worst the first resize sizes it
    HWND container = CreateWindowExW(0, L"AtlAxWin", L"kelm.kelm_ctrl", WS_CHILD | WS_VISIBLE, 0, 0,
                                     client.right, client.bottom, frame, nullptr, GetModuleHandleW(nullptr),
                                     nullptr);
    IUnknown* unknown = nullptr;
    if (!container || FAILED(get_control(container, &unknown)) || !unknown)
        return nullptr;
    Ikelm_ctrl* control = nullptr;
    if (FAILED(unknown->QueryInterface(IID_Ikelm_ctrl, reinterpret_cast<void**>(&control))))
        control = nullptr;
    unknown->Release();
    return control;
}

// The URL as it may be printed: without a "user:password@" it carries.
std::wstring shown_url(const std::wstring& url)
{
    const size_t scheme_end = url.find(L"://");
    if (scheme_end == std::wstring::npos)
        return url;
    const size_t host = scheme_end + 3;
    const size_t path = url.find(L'/', host);
    const size_t at = url.rfind(L'@', path == std::wstring::npos ? url.size() : path);
    if (at == std::wstring::npos || at < host)
        return url;
    return url.substr(0, host) + url.substr(at + 1);
}

// Handles the window's messages for `milliseconds`: the control looks at
// its streams on a timer of this thread, so the thread must not block.
void pump_for(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; waited < milliseconds; waited = GetTickCount() - start) {
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_ALLINPUT);  // woken or timed out
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // the window loop below sees it too
                return;
            }
            (void)TranslateMessage(&message);  // answers only whether a character was made
            (void)DispatchMessageW(&message);  // the window procedure's answer
        }
    }
}

// Shows the stream URL in one pane, as large as the window.  An address
// that starts with rtsp:// is played as it stands; the 1 is the number the
// pane keeps (and what {channel} in the URL would become).  open_channel
// answers a handle that may be 0 or 1, so the pane's record tells whether
// the camera opened.
bool open_camera(Ikelm_ctrl* control, const wchar_t* url_text, const wchar_t* user, const wchar_t* password)
{
    if (control->put_ScreenMode(1) != S_OK || control->active_nth_screen(0) != S_OK)
        return false;
    if (user) {
        // Before open_channel this only gives the pane the login its
        // stream uses (there is no channel to ask yet), so it answers
        // S_FALSE; a login in the URL itself would be used instead.
        BSTR none = SysAllocString(L""), user_text = SysAllocString(user),
             password_text = SysAllocString(password);
        (void)control->set_usr(none, user_text, password_text);
        SysFreeString(none);
        SysFreeString(user_text);
        SysFreeString(password_text);
    }
    BSTR url = SysAllocString(url_text);
    (void)control->open_channel(url, 1);  // the handle is not needed
    SysFreeString(url);
    SHORT opened = -1;
    return control->get_current_active_ch(&opened) == S_OK && opened == 1;
}

// Saves the pane's last whole picture as a JPEG file in `folder`; on a
// camera pane no server is asked.  False when no file was saved.
bool save_snapshot(Ikelm_ctrl* control, const wchar_t* folder_text, std::wstring* saved_in)
{
    BSTR folder = SysAllocString(folder_text);
    const bool folder_set = control->set_file_path(folder) == S_OK;
    SysFreeString(folder);
    if (!folder_set || control->capture() != S_OK)
        return false;
    BSTR stored = nullptr;
    if (control->get_save_filepath(&stored) == S_OK && stored)
        *saved_in = stored;
    SysFreeString(stored);
    return true;
}

// Runs the window until it is closed, or for `seconds` when that is above 0.
void show(HWND frame, int seconds)
{
    if (seconds > 0 && !SetTimer(frame, 1, static_cast<UINT>(seconds) * 1000, nullptr))
        std::printf("no timer: the window stays until it is closed\n");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == frame) {
            (void)DestroyWindow(frame);  // ends the loop through WM_DESTROY
            continue;
        }
        (void)TranslateMessage(&message);  // answers only whether a character was made
        (void)DispatchMessageW(&message);  // the window procedure's answer
    }
}

int run(HWND frame, const wchar_t* url, const wchar_t* folder, const wchar_t* user, const wchar_t* password,
        int seconds)
{
    Ikelm_ctrl* control = host_control(frame);
    if (!control) {
        std::printf("the control could not be created: register it with regsvr32 kelm.dll, "
                    "and keep hikclient.dll in the same folder as kelm.dll\n");
        return no_control;
    }
    const std::wstring shown = shown_url(url);
    int status = done;
    std::wstring saved_in;
    if (!open_camera(control, url, user, password)) {
        std::printf("the camera did not open (%ls): check the URL with a player that plays RTSP, and the "
                    "user name and password; rtsps:// is not played.  The log c:\\kelm.log says why.\n",
                    shown.c_str());
        status = no_camera;
    } else {
        std::printf("showing %ls\n", shown.c_str());
        std::fflush(stdout);
        // The snapshot is made from the picture the pane shows: give the
        // camera time to send a whole one.
        pump_for(2000);
        if (!save_snapshot(control, folder, &saved_in)) {
            std::printf("the snapshot was not saved: the camera has sent no whole picture yet, or the folder "
                        "cannot be made (%ls)\n", folder);
            status = no_snapshot;
        } else {
            std::printf("snapshot saved in %ls\n", saved_in.c_str());
        }
    }
    std::fflush(stdout);
    if (status == done)
        show(frame, seconds);
    control->Release();
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // URL FOLDER, then USER PASSWORD and SECONDS, each optional.
    if (argc < 3 || argc > 6) {
        std::printf("usage: camera_host_example URL FOLDER [USER PASSWORD] [SECONDS]\n");
        return usage;
    }
    const bool login = argc >= 5;
    const wchar_t* seconds = argc == 4 ? argv[3] : argc == 6 ? argv[5] : nullptr;
    // The control lives in a single-threaded apartment, on this thread.
    if (FAILED(OleInitialize(nullptr))) {
        std::printf("OLE could not be initialised\n");
        return no_control;
    }
    HWND frame = make_frame();
    const int status = frame ? run(frame, argv[1], argv[2], login ? argv[3] : nullptr, login ? argv[4] : nullptr,
                                   seconds ? _wtoi(seconds) : 0)
                             : static_cast<int>(no_control);
    if (frame && IsWindow(frame))
        (void)DestroyWindow(frame);  // closing down either way
    OleUninitialize();
    return status;
}
