// A window of the viewer that plays one recording: the picture, Play or
// Pause, Step, a position bar that also seeks, the position and length,
// and a status bar.  Its own thread decodes (playback.h); the window only
// paints.  It prints "Playing: ..." on standard output once the file is
// open, or why it cannot be played.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "picture_painter.h"
#include "playback.h"

struct AVFrame;

class Player_Window {
public:
    enum class State { opening, showing, refused };

    // Opens a player for `path`, owned by `owner` (null for a window of
    // its own) and plays it.  The object lives as long as its window;
    // `quit_when_closed` ends the thread's message loop when it closes.
    // Null when the window cannot be made.
    static Player_Window* open(HWND owner, const std::wstring& path, bool quit_when_closed);

    HWND handle() const { return frame; }
    // Showing once the first picture is on the screen; refused, with the
    // reason told, when the file cannot be played.
    State state() const { return current; }
    const std::wstring& problem() const { return facts.problem; }

private:
    Player_Window(const std::wstring& path, bool quit_when_closed);
    ~Player_Window();
    Player_Window(const Player_Window&) = delete;
    Player_Window& operator=(const Player_Window&) = delete;

    static LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK picture_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static INT_PTR CALLBACK bar_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    bool create(HWND owner);
    bool create_children();
    void start();
    void place_children(int width, int height);
    // The window's size for the picture at its own size, within limits.
    void fit_to_picture();

    void on_playback(WPARAM event);
    void on_opened();
    void on_refused();
    void on_picture();
    void on_command(int id);
    void on_scroll(int code);
    void paint_picture();
    void show_position(int64_t ms);
    void show_playing(bool playing);
    void tell(const std::wstring& text);

    std::wstring path;
    bool quit_when_closed;
    State current = State::opening;
    HWND frame = nullptr;
    HWND picture = nullptr;
    HWND bar = nullptr;
    HWND status = nullptr;
    int bar_height = 0;
    Playback playback;
    Media_Facts facts;
    Picture_Painter painter;
    AVFrame* shown = nullptr;
    int64_t shown_ms = 0;
    // The position bar's thumb held with the mouse: pictures do not move it.
    bool dragging = false;
};

// Runs the thread's windows until a player that quits when closed is
// closed; the exit status.
int run_player_loop();
