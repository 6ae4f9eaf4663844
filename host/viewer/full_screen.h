// Full screen: the frame without caption, borders and menu over the whole
// of its monitor, and back to the window as it was (its place and size,
// maximised or not).
#pragma once

#include <windows.h>

class Full_Screen {
public:
    bool active() const { return on; }
    // False, and nothing changed, when the frame's monitor cannot be found.
    bool enter(HWND frame);
    void leave(HWND frame);

private:
    bool on = false;
    WINDOWPLACEMENT placement = {};
    LONG_PTR style = 0;
    HMENU menu = nullptr;
};
