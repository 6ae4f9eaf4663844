// The panel's sound controls: the Sound button (and the key S) that starts
// and stops the active pane's sound, the line that says which pane is
// heard, and the volume slider.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

#include "control_sound.h"
#include "session.h"

class Sound_Controls {
public:
    // Shows a line in the status bar and on standard output.
    using Tell = std::function<void(const std::wstring&)>;

    Sound_Controls(HWND panel, Session& session, IDispatch* control, Tell tell);
    Sound_Controls(const Sound_Controls&) = delete;
    Sound_Controls& operator=(const Sound_Controls&) = delete;

    // Stops the sound when the active pane is the one heard, else starts it.
    void toggle();
    // Starts the active pane's sound, silencing any other pane; false, with
    // the reason told, when the control refused.
    bool start();
    // Shows the pane heard and prints each change of it.  The control ends
    // a pane's sound by itself when the pane is closed or its stream lost,
    // so this is read again at every tick of the window's timer.
    void show_heard(int active_pane);
    // The slider at the control's volume, or disabled while the control
    // does not tell it (a user without the sound right).
    void show_volume();
    // What a move of the slider does.
    void on_volume_moved();

private:
    void stop(int pane);
    std::wstring no_sound_reason(int pane) const;

    HWND panel;
    Session& session;
    Control_Sound sound;
    Tell tell;
    // The pane the panel shows as heard; -1 for none, as the panel starts.
    int heard = -1;
};
