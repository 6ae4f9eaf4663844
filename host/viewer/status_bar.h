// The window's status bar: the active pane's state on the left, what the
// last action did beside it, while logins are locked the time left, and
// the whole wall's health at the right end.  The parts are as wide as the
// bar's font needs.
#pragma once

#include <windows.h>

#include <string>

class Status_Bar {
public:
    // Makes the bar at the bottom of `parent`, writing in `font`; false when
    // it cannot be made.
    bool create(HWND parent, HFONT font);
    HWND handle() const { return bar; }
    int height() const;
    // Places the bar at the bottom of its parent again and its parts for the
    // new width.
    void fit();
    void show_pane(const std::wstring& text);
    void show_message(const std::wstring& text);
    // Shows `text` in a part of its own at the right; the empty text
    // removes that part.
    void show_lockout(const std::wstring& text);
    void show_health(const std::wstring& text);
    // Whether the notification `header` is a click on the health part.
    bool health_clicked(const NMHDR& header) const;

private:
    void set_parts();

    HWND bar = nullptr;
    std::wstring lockout;
    std::wstring health;
};
