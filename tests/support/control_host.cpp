#include "control_host.h"

#include <gtest/gtest.h>

#include "test_window.h"

Control_Host::Control_Host()
{
    host_window = make_test_window(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 900, 700);
    EXPECT_NE(host_window, nullptr) << "error " << GetLastError();
    HWND dialog = ctrl.create_window(host_window);
    EXPECT_NE(dialog, nullptr) << "error " << GetLastError();
    settle();
}

Control_Host::~Control_Host()
{
    ctrl.destroy_window();
    if (host_window)
        DestroyWindow(host_window);
    pump();
}

HWND Control_Host::pane(int index) const
{
    return GetDlgItem(window(), kelm_ctrl::pane_item_id(index + 1));
}

void Control_Host::resize_client(int width, int height)
{
    RECT frame = {0, 0, width, height};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(window(), GWL_STYLE));
    const DWORD ex_style = static_cast<DWORD>(GetWindowLongW(window(), GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    SetWindowPos(window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(window(), &client);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    settle();
}

void Control_Host::settle()
{
    // The display's expose events arrive a little later than the window
    // calls that cause them; a repaint after a frame was drawn would wipe it.
    const DWORD start = GetTickCount();
    do {
        pump();
        Sleep(10);
    } while (GetTickCount() - start < 150);
}

void Control_Host::pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

RECT rect_in_parent(HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool has_visible_style(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

COLORREF client_pixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

void click_pane(HWND pane)
{
    SendMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void double_click_pane(HWND pane)
{
    click_pane(pane);
    SendMessageW(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}
