// Pane_Caption: a strip along the bottom of a pane that says what the pane
// shows: the source (server and channel), a recording mark and the
// stream's state in its colour.  It is a child window of the pane, so the
// streaming library, which paints the pane's pictures through the pane's
// own DC, paints around it (the pane clips its children), and the caption
// never flickers under the video.  Clicks pass through it to the pane.
//
// Everything happens on the thread that owns the pane.
#pragma once

#include <windows.h>

#include <string>

struct Caption_Content {
    std::wstring source;  // "lobby ch 3"
    bool recording = false;
    const wchar_t* state = L"";  // "live", "lost", "reconnecting"
    COLORREF state_colour = 0;

    bool operator==(const Caption_Content& other) const
    {
        return source == other.source && recording == other.recording && state == other.state &&
               state_colour == other.state_colour;
    }
};

class Pane_Caption {
public:
    Pane_Caption() = default;
    ~Pane_Caption();  // takes the window away

    // Makes the strip in `pane` (once) and shows `content`, repainting only
    // on a change; the window's text is the caption's ("lobby ch 3 REC
    // live").  False when the window could not be made, in which case
    // the pane simply shows no caption.
    bool show(HWND pane, const Caption_Content& content);
    void hide();
    // Takes the window away, as when captions are turned off.
    void remove();
    // Keeps the strip along the bottom of the pane after the pane moved or
    // changed size; its height follows the pane's.
    void place();

    Pane_Caption(const Pane_Caption&) = delete;
    Pane_Caption& operator=(const Pane_Caption&) = delete;

private:
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    bool create(HWND pane);
    void paint(HDC dc, const RECT& area);
    HFONT font_for(int height);

    HWND window = nullptr;
    RECT placed = {0, 0, 0, 0};  // in the pane's client area
    bool visible = false;
    Caption_Content content;
    HFONT font = nullptr;
    int font_height = 0;
};
