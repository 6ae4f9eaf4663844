// Saving what a window shows on the screen as a PNG file.
#pragma once

#include <windows.h>

// Copies the window's area of the screen and writes it to `path` as PNG
// through the Windows Imaging Component.
HRESULT save_window_png(HWND window, const wchar_t* path);
