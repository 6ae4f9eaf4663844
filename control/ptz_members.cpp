// Dispatch members that move the camera of the active pane's channel.  Each
// move sends its command with the range 10 and the cached speed; a move
// that fails answers S_FALSE and leaves its code in the pane.
#include "kelm_ctrl.h"

#include "screen.h"

namespace {

const int move_range = 10;

// The server's move commands.
enum Ptz_Command {
    ptz_command_stop = 11,
    ptz_command_left = 20,
    ptz_command_right = 21,
    ptz_command_up = 22,
    ptz_command_down = 23,
    ptz_command_far = 24,
    ptz_command_near = 25,
    ptz_command_tele = 28,
    ptz_command_wide = 29,
};

} // namespace

HRESULT kelm_ctrl::ptz_move(Gated_Member member, int command)
{
    if (!allowed(member) || !active_screen)
        return S_FALSE;
    return active_screen->ptz_op(command, move_range, ptz_speed) == -1 ? S_FALSE : S_OK;
}

HRESULT kelm_ctrl::ptz_left() { return ptz_move(Gated_Member::ptz_left, ptz_command_left); }
HRESULT kelm_ctrl::ptz_right() { return ptz_move(Gated_Member::ptz_right, ptz_command_right); }
HRESULT kelm_ctrl::ptz_up() { return ptz_move(Gated_Member::ptz_up, ptz_command_up); }
HRESULT kelm_ctrl::ptz_down() { return ptz_move(Gated_Member::ptz_down, ptz_command_down); }
HRESULT kelm_ctrl::ptz_tele() { return ptz_move(Gated_Member::ptz_tele, ptz_command_tele); }
HRESULT kelm_ctrl::ptz_wild() { return ptz_move(Gated_Member::ptz_wild, ptz_command_wide); }
HRESULT kelm_ctrl::ptz_near() { return ptz_move(Gated_Member::ptz_near, ptz_command_near); }
HRESULT kelm_ctrl::ptz_far() { return ptz_move(Gated_Member::ptz_far, ptz_command_far); }
HRESULT kelm_ctrl::ptz_stop() { return ptz_move(Gated_Member::ptz_stop, ptz_command_stop); }

// Any command, range and speed the host chooses; the channel sends commands
// the server does not know as 0.
HRESULT kelm_ctrl::ptz_op(LONG dir, LONG range, LONG speed)
{
    if (!allowed(Gated_Member::ptz_op) || !active_screen)
        return S_FALSE;
    return active_screen->ptz_op(dir, range, speed) == -1 ? S_FALSE : S_OK;
}

// The server has no iris command: nothing is done, and the answer says so
// whether the gate allows the member or not.
HRESULT kelm_ctrl::ptz_iris(BOOL)
{
    return S_FALSE;
}
