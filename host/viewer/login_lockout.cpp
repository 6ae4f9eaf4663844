#include "login_lockout.h"

namespace {

const int refusals_before_lockout = 2;
const int lockout_seconds = 180;

} // namespace

bool Login_Lockout::follow(Login_Outcome outcome, time_t now)
{
    // The first login after the lockout's end starts the count again.
    if (counted > refusals_before_lockout && seconds_left(now) == 0)
        counted = 0;
    if (outcome == Login_Outcome::locked_out && counted <= refusals_before_lockout) {
        // A lockout the viewer did not see begin (it cannot happen while the
        // viewer made every login): it may last as long as from now.
        counted = refusals_before_lockout + 1;
        locked_at = now;
        return false;
    }
    if (outcome != Login_Outcome::refused || counted > refusals_before_lockout)
        return false;
    if (++counted <= refusals_before_lockout)
        return false;
    locked_at = now;
    return true;
}

// The control lets a login through once the difference of the whole
// seconds exceeds 180; the first second counts as a whole 180 left.
int Login_Lockout::seconds_left(time_t now) const
{
    if (counted <= refusals_before_lockout)
        return 0;
    const long long left = static_cast<long long>(locked_at) + lockout_seconds + 1 - now;
    if (left <= 0)
        return 0;
    return left > lockout_seconds ? lockout_seconds : static_cast<int>(left);
}
