// The control's lockout of logins, followed by the viewer so that it can
// tell the operator how long it lasts.  The control counts the logins a DVR
// refused (a granted login does not reset the count); the third refused
// login asks no DVR and, from that second on, the control refuses every
// login of this program until more than 180 whole seconds have passed.
// The control does not tell when that began, so the viewer counts alike.
#pragma once

#include <ctime>

#include "session.h"

class Login_Lockout {
public:
    // Follows one login as the control counts it; true when this login
    // began the lockout.  `now` is time(), the control's own clock.
    bool follow(Login_Outcome outcome, time_t now);
    // The refusals counted so far: 0 to 2, and 3 from the lockout's start
    // until the next login after its end.
    int refusals() const { return counted; }
    // The seconds until logins are possible again (at most 180); 0 when
    // they are.
    int seconds_left(time_t now) const;

private:
    int counted = 0;
    time_t locked_at = 0;
};
