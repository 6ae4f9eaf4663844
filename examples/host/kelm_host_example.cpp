// kelm example (C++): a window that hosts the control in atl.dll's
// standard ActiveX container, logs in to a DVR server and opens its
// channels 1 to 4 in four panes.
//
//   kelm_host_example.exe ADDRESS USER PASSWORD [SECONDS]
//
// kelm.dll must be registered (regsvr32 kelm.dll) with hikclient.dll in
// the same folder.  The window stays until it is closed, or SECONDS have
// passed.  kelm_h.h and kelm_i.c (the interface and its identifiers) come
// with the control; the calls go through the dual interface Ikelm_ctrl.
// A member that fails answers S_FALSE, which SUCCEEDED() counts as
// success: compare with S_OK.
//
// Exit status: 0 done, 1 login refused, 2 wrong arguments, 3 the control
// could not be created, 4 the server could not be reached, 5 a channel
// did not open.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cwchar>

#include "kelm_h.h"

namespace {

const wchar_t frame_class[] = L"kelm_example_frame";

enum Exit_Status { done = 0, login_refused = 1, usage = 2, no_control = 3, no_server = 4, no_channel = 5 };

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
    return CreateWindowExW(0, frame_class, L"kelm example", fixed_size, CW_USEDEFAULT,
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

// The server's channel count, 0 when its web service did not answer.
long channel_count(Ikelm_ctrl* control, BSTR address)
{
    LONG count = 0;
    if (control->get_svr_chnum(address) != S_OK || control->get_svr_channel_cnt(&count) != S_OK)
        return 0;
    return count;
}

bool log_in(Ikelm_ctrl* control, BSTR address, const wchar_t* user, const wchar_t* password)
{
    BSTR user_text = SysAllocString(user), password_text = SysAllocString(password);
    // The result alone does not tell a refusal: is_login does.
    (void)control->login(address, user_text, password_text);
    SysFreeString(user_text);
    SysFreeString(password_text);
    SHORT state = -1;
    return control->get_is_login(&state) == S_OK && state == 0;
}

// Opens channels 1 to 4 in panes 0 to 3.  open_channel answers a handle
// that may be 0 or 1, so the pane's record tells whether it opened.
int open_four_channels(Ikelm_ctrl* control, BSTR address)
{
    if (control->put_ScreenMode(4) != S_OK)
        return 0;
    for (SHORT pane = 0; pane < 4; ++pane) {
        const LONG channel = pane + 1;
        SHORT opened = -1;
        if (control->active_nth_screen(pane) != S_OK)
            return channel - 1;
        (void)control->open_channel(address, channel);  // the handle is not needed
        if (control->get_current_active_ch(&opened) != S_OK || opened != channel)
            return channel - 1;
    }
    return 4;
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

int run(HWND frame, const wchar_t* address_text, const wchar_t* user, const wchar_t* password, int seconds)
{
    Ikelm_ctrl* control = host_control(frame);
    if (!control) {
        std::printf("the control could not be created: register it with regsvr32 kelm.dll, "
                    "and keep hikclient.dll in the same folder as kelm.dll\n");
        return no_control;
    }
    BSTR address = SysAllocString(address_text);
    int status = done;
    const long channels = channel_count(control, address);
    if (channels == 0) {
        std::printf("the server at %ls did not answer: check the address, and that it answers on port 8000\n",
                    address_text);
        status = no_server;
    } else if (!log_in(control, address, user, password)) {
        std::printf("login refused for %ls: check the user name and password\n", user);
        status = login_refused;
    } else {
        const int opened = open_four_channels(control, address);
        if (opened < 4) {
            std::printf("channel %d did not open: the server has channels 1 to %ld; is hikclient.dll beside kelm.dll?\n",
                        opened + 1, channels);
            status = no_channel;
        } else {
            std::printf("channels 1 to 4 of %ld are open\n", channels);
        }
    }
    std::fflush(stdout);
    SysFreeString(address);
    if (status == done)
        show(frame, seconds);
    control->Release();
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4 && argc != 5) {
        std::printf("usage: kelm_host_example ADDRESS USER PASSWORD [SECONDS]\n");
        return usage;
    }
    // The control lives in a single-threaded apartment, on this thread.
    if (FAILED(OleInitialize(nullptr))) {
        std::printf("OLE could not be initialised\n");
        return no_control;
    }
    HWND frame = make_frame();
    const int status = frame ? run(frame, argv[1], argv[2], argv[3], argc == 5 ? _wtoi(argv[4]) : 0)
                             : static_cast<int>(no_control);
    if (frame && IsWindow(frame))
        (void)DestroyWindow(frame);  // closing down either way
    OleUninitialize();
    return status;
}
