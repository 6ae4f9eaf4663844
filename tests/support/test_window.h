// Plain windows for tests to host the control or to be painted into.
#pragma once

#include <windows.h>

// A window of one shared class with a black background; null on failure.
HWND make_test_window(DWORD style, int x, int y, int width, int height);
