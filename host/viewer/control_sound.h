// The control's sound as a C++ host reaches it: Ikelm_sound, asked of the
// control beside its IDispatch, tells which pane is heard and holds the
// volume.  Starting and stopping a pane's sound is a dispatch member, in
// Session.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com_ptr.h"
#include "kelm_h.h"

// The volume slider's 0 to 100 per cent, linear onto the control's 0 to
// 65535, and back to the nearest per cent.
LONG volume_from_percent(int percent);
int percent_from_volume(LONG volume);

class Control_Sound {
public:
    // Asks `control` for Ikelm_sound.  A control without it (an older
    // kelm.dll) has no pane heard and refuses the volume.
    explicit Control_Sound(IDispatch* control);

    // The pane heard, 0 to 15; -1 when none is, or the control cannot tell.
    int sounding_pane() const;
    // The volume in per cent; -1 when the control does not tell it (a user
    // without the sound right).
    int volume_percent() const;
    // False when the control refused the volume.
    bool set_volume_percent(int percent);

private:
    Com_Ptr<Ikelm_sound> sound;
};
