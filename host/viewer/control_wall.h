// The control's wall interface as a C++ host reaches it: Ikelm_wall,
// asked of the control beside its IDispatch, draws a caption in each pane,
// names servers in them, and tells each pane's health without asking any
// server (and without the trace pair a dispatch read of a pane costs).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "com_ptr.h"
#include "kelm_h.h"
#include "session.h"

struct Pane_Health {
    Pane_State state = Pane_State::closed;  // a reconnecting pane is lost
    bool reconnecting = false;              // lost, and trying again now
    DWORD lost_seconds = 0;                 // since the loss, while lost
};

class Control_Wall {
public:
    // Asks `control` for Ikelm_wall.  A control without it (an older
    // kelm.dll) shows no captions and every pane's health as closed.
    explicit Control_Wall(IDispatch* control);
    bool available() const { return static_cast<bool>(wall); }

    bool show_captions(bool shown);
    // The name the panes of `address` are captioned with.
    bool label_server(const std::wstring& address, const std::wstring& label);
    Pane_Health health(int pane) const;
    // Why a lost pane lost its stream, one English sentence; empty for a
    // live or empty pane, or from a control that cannot tell.
    std::wstring reason(int pane) const;

private:
    Com_Ptr<Ikelm_wall> wall;
};
