// Measuring text in the font a window draws with, so that the panel and
// the status bar are laid out for the font the system gives them.
#pragma once

#include <windows.h>

#include <string>

// The size of `text` in `window`'s font (the default GUI font when the
// window has none set); zero when the screen cannot be measured.
SIZE text_extent(HWND window, const std::wstring& text);
// The height of a line of `window`'s font, leading included.
int line_height(HWND window);
